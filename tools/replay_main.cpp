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
                 "  redo, document, view, legend, curvature, comparison; dialog: the title\n"
                 "  of the open dialog or none; field ID: the text a field or cell of the\n"
                 "  open dialog shows) | menu ID... |\n"
                 "  wheel X Y STEPS | pan DX DY | png FILE | svg FILE | obj FILE | checksum\n"
                 "In a dialog, ok with a value it cannot take prints \"dialog: REASON\" on\n"
                 "  standard error and leaves the dialog open; set and check refuse a\n"
                 "  disabled control.\n"
                 "Cell ids for set (R, C the row and column from 1, I the knot from 0):\n"
                 "  Control Data  point R, C, coordinate x 0, y 1, z 2: 10000000 + 10000 R +\n"
                 "                10 C + coordinate (y of point 60 of a curve: 10600011)\n"
                 "  Weights       weight R, C: 20000000 + 10000 R + 10 C (weight 60: 20600010)\n"
                 "  Knots         knot I: 30000000 + I (knot 45: 30000045)\n"
                 "  The first cells keep their earlier ids as well: points of rows 1-7,\n"
                 "  columns 1-6 are 2001 + 3 (6 (R-1) + C-1) + coordinate; weights of rows\n"
                 "  1-11, columns 1-6 are 2001 + 6 (R-1) + C-1; knots 0-29 are 2001 + I.\n"
                 "Field ids: Control Data N 1076, M 1077, Order of N 1084, of M 1085, Degree\n"
                 "  step of N 1086, of M 1087, Scale 1078, Grid 1083, Translate X 1079,\n"
                 "  Translate Y 1080, Phi 1082, Theta 1081, checks X_axis 1144, Y_axis 1145,\n"
                 "  Triangles 1146; Weights Approximation degree 1056; Knots Order 1057, Degree step 1055,\n"
                 "  Chaikin steps 1059, Knot to insert 1058.\n";
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
