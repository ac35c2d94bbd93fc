// What each menu item does, in one short sentence for the status bar of
// the window while the item is highlighted.
#pragma once

namespace tambra {

// The status tip of the item with command id `id`, or null when the item
// has none.
const char* StatusTip(int id);

}  // namespace tambra
