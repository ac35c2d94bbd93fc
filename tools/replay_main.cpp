#include <cstring>
#include <fstream>
#include <iostream>

#include "tools/replay.h"

int main(int argc, char** argv) {
  if (argc != 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    std::cerr << "usage: tambra-replay SCRIPT|-\n"
                 "Runs a session from SCRIPT (or standard input) without a window.\n"
                 "Lines: size W H | paint | ldown|lup|rdown|rup|move X Y | click|rclick X Y |\n"
                 "  drag X1 Y1 X2 Y2 | command ID | set ID TEXT | check ID 0|1 | reset | ok |\n"
                 "  cancel | file PATH | file-cancel | answer ok|cancel (the replace question) |\n"
                 "  answer save|discard|cancel (queued for the next line's \"Save changes?\";\n"
                 "  none queued cancels) | print NAME... (model fields, status, title, undo,\n"
                 "  redo, document) | menu ID... | png FILE | checksum\n";
    return argc == 2 ? 0 : tambra::kReplayBadScript;
  }
  if (std::strcmp(argv[1], "-") == 0) return tambra::RunReplay(std::cin, "-", std::cout, std::cerr);
  std::ifstream script(argv[1], std::ios::binary);
  if (!script) {
    std::cerr << "tambra-replay: cannot open " << argv[1] << ": " << std::strerror(errno) << "\n";
    return tambra::kReplayBadScript;
  }
  return tambra::RunReplay(script, argv[1], std::cout, std::cerr);
}
