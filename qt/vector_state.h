// The vector registers at the boundary between Qt and the core.
#pragma once

namespace tambra {

// Qt's drawing code may leave the upper halves of the AVX registers dirty;
// the core's SSE code then pays a state-transition penalty on every vector
// instruction until they are cleared. Called wherever control passes from
// Qt into the core; does nothing on a CPU without AVX.
void ClearUpperVectorState();

}  // namespace tambra
