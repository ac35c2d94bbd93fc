#include <unistd.h>

#include <filesystem>

#include "resources/command_ids.h"

#include "session_fixture.h"

namespace tambra {
namespace {

class OutputLogTest : public SessionTest {
 protected:
  int Open(const std::string& name) {
    std::snprintf(m.outputFileName, kMaxFileName, "%s", Path(name).c_str());
    return OpenOutputLog(window);
  }
};

// Cancel keeps an existing file, OK truncates it; a new file needs no question; a folder that
// is missing is reported. Opening while a log is open, or closing while none is, does nothing.
TEST_F(OutputLogTest, ExistingFileIsReplacedOnlyAfterOkAndWrongStatesDoNothing) {
  WriteFile(Path("old.dat"), "earlier log");
  answers.okCancel = {false, true};
  EXPECT_EQ((std::tuple{Open("old.dat"), m.logFile}), std::tuple(0, nullptr));
  EXPECT_EQ((std::tuple{CloseOutputLog(), ReadFile(Path("old.dat"))}), std::tuple(0, "earlier log"));
  ASSERT_EQ(Open("old.dat"), 1);
  EXPECT_EQ(std::tuple(m.logActive, ReadFile(Path("old.dat"))), std::tuple(1, ""));
  const std::string question =
      Path("old.dat") + "\r\nThis file already exists. \r\nReplace existing file?";
  EXPECT_EQ(answers.questionsAsked, std::vector<std::string>(2, question));
  std::FILE* first = m.logFile;
  EXPECT_EQ((std::tuple{Open("second.dat"), m.logFile}), std::tuple(0, first));
  EXPECT_FALSE(std::filesystem::exists(Path("second.dat")));
  EXPECT_EQ((std::tuple{CloseOutputLog(), m.logActive}), std::tuple(1, 0));
  EXPECT_EQ(CloseOutputLog(), 0);

  EXPECT_EQ((std::tuple{Open("missing/x.dat"), m.logFile}), std::tuple(0, nullptr));
  EXPECT_EQ(window.Errors(), std::vector<std::string>{"Cannot create \"" + Path("missing/x.dat") +
                                                      "\": No such file or directory"});
  ASSERT_EQ(Open("first.dat"), 1);
  EXPECT_EQ(answers.questionsAsked.size(), 2u);
}

// A log on a full disk: the first failed write is reported once, with the name and the reason,
// the log closes and the menu offers Output again.
TEST_F(OutputLogTest, AFailedWriteIsReportedOnceAndClosesTheLog) {
  answers.fileNames = {Path("full.dat")};
  window.Command(kCmdOutput);
  ASSERT_NE(m.logFile, nullptr);
  {
    const FileSizeLimit full(64);
    for (int i = 0; i < 40; ++i) window.Click(10 + 15 * i, 100 + i);
    for (int i = 0; i < 3; ++i) window.Command(kCmdBezier);
  }
  EXPECT_EQ(std::tuple(m.logFile, m.logActive), std::tuple(nullptr, 0));
  EXPECT_EQ(window.Errors(), std::vector<std::string>{"Cannot write \"" + Path("full.dat") +
                                                      "\": File too large. The output "
                                                      "log is closed."});
  EXPECT_EQ(std::tuple(window.IsEnabled(kCmdOutput), window.IsEnabled(kCmdCloseOutput)),
            std::tuple(true, false));
}

}  // namespace
}  // namespace tambra
