#include "base/output_log.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/headless_platform.h"
#include "base/model_state.h"

namespace tambra {
namespace {

namespace fs = std::filesystem;

class OutputLogFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetModelState();
    char pattern[] = "/tmp/tambra-log-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    window_.SetAnswers(&answers_);
  }
  void TearDown() override {
    CloseOutputLog();
    fs::remove_all(dir_);
    ResetModelState();
  }
  int Open(const std::string& name) {
    path_ = dir_ + "/" + name;
    std::strcpy(m.outputFileName, path_.c_str());
    return OpenOutputLog(window_);
  }

  ModelState& m = Model();
  std::string dir_, path_;
  HeadlessPlatform window_;
  QueuedAnswers answers_;
};

TEST_F(OutputLogFileTest, ExistingFileIsReplacedOnlyAfterOk) {
  const auto contents = [&] { return (std::stringstream() << std::ifstream(path_).rdbuf()).str(); };
  std::ofstream(dir_ + "/old.dat") << "earlier log";
  answers_.okCancel = {false, true};
  EXPECT_EQ(Open("old.dat"), 0);
  EXPECT_EQ(m.logFile, nullptr);
  EXPECT_EQ(contents(), "earlier log");
  ASSERT_EQ(Open("old.dat"), 1);
  EXPECT_EQ(m.logActive, 1);
  EXPECT_EQ(contents(), "") << "OK truncates the old log";
  const std::string question = path_ + "\r\nThis file already exists. \r\nReplace existing file?";
  EXPECT_EQ(answers_.questionsAsked, std::vector<std::string>(2, question));
}

TEST_F(OutputLogFileTest, OpenAndCloseDoNothingInTheWrongStateAndFailuresAreReported) {
  EXPECT_EQ(CloseOutputLog(), 0) << "no log is open";
  EXPECT_EQ(Open("missing/x.dat"), 0);
  EXPECT_EQ(m.logFile, nullptr);
  EXPECT_EQ(window_.Errors(),
            std::vector<std::string>{"Cannot create \"" + path_ + "\": No such file or directory"});

  ASSERT_EQ(Open("first.dat"), 1) << "a new file needs no question";
  std::FILE* first = m.logFile;
  EXPECT_EQ(Open("second.dat"), 0) << "a log is already open";
  EXPECT_EQ(m.logFile, first);
  EXPECT_FALSE(fs::exists(path_));
  EXPECT_EQ(CloseOutputLog(), 1);
  EXPECT_EQ(m.logActive, 0);
  EXPECT_EQ(CloseOutputLog(), 0);
  EXPECT_TRUE(answers_.questionsAsked.empty());
}

}  // namespace
}  // namespace tambra
