#include <filesystem>

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
  EXPECT_TRUE(Open("old.dat") == 0 && m.logFile == nullptr && CloseOutputLog() == 0);
  EXPECT_EQ(ReadFile(Path("old.dat")), "earlier log");
  ASSERT_EQ(Open("old.dat"), 1);
  EXPECT_TRUE(m.logActive == 1 && ReadFile(Path("old.dat")).empty());
  const std::string question =
      Path("old.dat") + "\r\nThis file already exists. \r\nReplace existing file?";
  EXPECT_EQ(answers.questionsAsked, std::vector<std::string>(2, question));
  std::FILE* first = m.logFile;
  EXPECT_TRUE(Open("second.dat") == 0 && m.logFile == first);
  EXPECT_FALSE(std::filesystem::exists(Path("second.dat")));
  EXPECT_TRUE(CloseOutputLog() == 1 && m.logActive == 0 && CloseOutputLog() == 0);

  EXPECT_TRUE(Open("missing/x.dat") == 0 && m.logFile == nullptr);
  EXPECT_EQ(window.Errors(), std::vector<std::string>{"Cannot create \"" + Path("missing/x.dat") +
                                                      "\": No such file or directory"});
  ASSERT_EQ(Open("first.dat"), 1);
  EXPECT_EQ(answers.questionsAsked.size(), 2u);
}

}  // namespace
}  // namespace tambra
