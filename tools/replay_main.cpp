#include <cstring>
#include <fstream>
#include <iostream>

#include "tools/replay.h"

int main(int argc, char** argv) {
  if (argc != 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    std::cerr << "usage: tambra-replay SCRIPT|-\n"
                 "Runs a session from SCRIPT (or standard input) without a window.\n";
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
