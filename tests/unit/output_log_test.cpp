#include "shell/output_log.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "shell/headless_platform.h"
#include "shell/model_state.h"

namespace tambra {
namespace {

namespace fs = std::filesystem;

class CaptionAnswers : public QueuedAnswers {
 public:
  std::vector<std::string> captions;
  bool AnswerOkCancel(const char* text, const char* caption) override {
    captions.emplace_back(caption);
    return QueuedAnswers::AnswerOkCancel(text, caption);
  }
};

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

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
  void UseLog(const std::string& name) {
    path_ = dir_ + "/" + name;
    std::strcpy(m.outputFileName, path_.c_str());
  }

  ModelState& m = Model();
  std::string dir_;
  std::string path_;
  HeadlessPlatform window_;
  CaptionAnswers answers_;
};

TEST_F(OutputLogFileTest, OpeningANewFileStartsTheLog) {
  UseLog("new.dat");
  ASSERT_EQ(OpenOutputLog(window_), 1);
  EXPECT_NE(m.logFile, nullptr);
  EXPECT_EQ(m.logActive, 1);
  EXPECT_TRUE(answers_.questionsAsked.empty());
  EXPECT_TRUE(fs::exists(path_));

  m.clientHeight = 300;
  LogPoint(10, 20);
  LogBreak(1);
  LogPoint3(1.5f, -2, 0.25f);
  LogBreak(0);
  ASSERT_EQ(CloseOutputLog(), 1);
  EXPECT_EQ(m.logFile, nullptr);
  EXPECT_EQ(m.logActive, 0);
  EXPECT_EQ(Contents(path_), "10.00000 280.00000\r\n\r\n\r\n\r\n1.50000 -2.00000 0.25000\r\n\r\n");
}

TEST_F(OutputLogFileTest, ExistingFileIsReplacedOnlyAfterOk) {
  UseLog("old.dat");
  { std::ofstream(path_, std::ios::binary) << "earlier log"; }

  answers_.okCancel = {false};
  EXPECT_EQ(OpenOutputLog(window_), 0);
  EXPECT_EQ(m.logFile, nullptr);
  EXPECT_EQ(m.logActive, 0);
  EXPECT_EQ(Contents(path_), "earlier log");
  ASSERT_EQ(answers_.questionsAsked.size(), 1u);
  EXPECT_EQ(answers_.questionsAsked[0],
            path_ + "\r\nThis file already exists. \r\nReplace existing file?");
  EXPECT_EQ(answers_.captions[0], "Surfaces in TAMBRA");

  answers_.okCancel = {true};
  ASSERT_EQ(OpenOutputLog(window_), 1);
  EXPECT_EQ(Contents(path_), "") << "OK truncates the old log";
  EXPECT_TRUE(window_.Errors().empty());
}

TEST_F(OutputLogFileTest, OpeningWhileOpenDoesNothing) {
  UseLog("first.dat");
  ASSERT_EQ(OpenOutputLog(window_), 1);
  std::FILE* first = m.logFile;
  UseLog("second.dat");
  answers_.okCancel = {true};
  EXPECT_EQ(OpenOutputLog(window_), 0);
  EXPECT_EQ(m.logFile, first);
  EXPECT_EQ(m.logActive, 1);
  EXPECT_FALSE(fs::exists(path_));
  EXPECT_TRUE(answers_.questionsAsked.empty());
}

TEST_F(OutputLogFileTest, CloseWithoutALogReturnsZero) {
  EXPECT_EQ(CloseOutputLog(), 0);
  UseLog("once.dat");
  ASSERT_EQ(OpenOutputLog(window_), 1);
  EXPECT_EQ(CloseOutputLog(), 1);
  EXPECT_EQ(CloseOutputLog(), 0);
}

TEST_F(OutputLogFileTest, FileThatCannotBeCreatedIsReported) {
  UseLog("missing/x.dat");
  EXPECT_EQ(OpenOutputLog(window_), 0);
  EXPECT_EQ(m.logFile, nullptr);
  EXPECT_EQ(m.logActive, 0);
  ASSERT_EQ(window_.Errors().size(), 1u);
  EXPECT_EQ(window_.Errors()[0], "Cannot create \"" + path_ + "\": No such file or directory");

  // A folder in the log's place: asked, then refused by the system.
  UseLog("folder.dat");
  fs::create_directory(path_);
  answers_.okCancel = {true};
  EXPECT_EQ(OpenOutputLog(window_), 0);
  EXPECT_EQ(answers_.questionsAsked.size(), 1u);
  ASSERT_EQ(window_.Errors().size(), 2u);
  EXPECT_EQ(window_.Errors()[1], "Cannot create \"" + path_ + "\": Is a directory");
  EXPECT_EQ(m.logFile, nullptr);
}

}  // namespace
}  // namespace tambra
