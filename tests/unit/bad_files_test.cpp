// Names that are no place for a model, a log or an export (a pipe, a device, a folder, a
// link that points nowhere) are refused at once with the reason; nothing waits on them,
// nothing is replaced, and the document, its file name and its title stay as they were.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "app/history.h"
#include "app/window_proc.h"
#include "resources/command_ids.h"
#include "resources/status_tips.h"
#include "session_fixture.h"

namespace tambra {
namespace {

namespace fs = std::filesystem;

constexpr char kNotRegular[] = "it is not a regular file";
constexpr char kNowhere[] = "the link points nowhere";

std::string Example(const char* name) {
  return std::string(TAMBRA_TEST_DATA_DIR) + "/../examples/" + name;
}

struct BadName {
  std::string path;
  std::string reason;
};

class BadFilesTest : public SessionTest {
 protected:
  // Pipes, devices, a folder and links to nowhere, named with `extension`.
  std::vector<BadName> BadNames(const std::string& extension) {
    const std::string pipe = Path("pipe." + extension), folder = Path("folder." + extension);
    const std::string dangling = Path("dangling." + extension), loop = Path("loop." + extension);
    EXPECT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    fs::create_directory(folder);
    EXPECT_EQ(::symlink(Path("missing/x." + extension).c_str(), dangling.c_str()), 0);
    EXPECT_EQ(::symlink(loop.c_str(), loop.c_str()), 0);
    return {{pipe, kNotRegular},   {"/dev/null", kNotRegular}, {"/dev/zero", kNotRegular},
            {folder, kNotRegular}, {dangling, kNowhere},       {loop, kNowhere}};
  }
  // Runs `action`, which must not wait on a file: the seconds it took. A
  // wait that never ends ends the test program instead.
  template <typename Action>
  double SecondsOf(Action action) {
    const auto start = std::chrono::steady_clock::now();
    ::alarm(5);
    action();
    ::alarm(0);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  long Entries() const { return std::distance(fs::directory_iterator(dir), {}); }
};

TEST_F(BadFilesTest, ModelFilesThatAreNoFilesAreRefusedAtOnce) {
  answers.fileNames = {Example("curve.cnt")};
  window.Command(kCmdOpen);
  const auto before = ModelBytes();
  const std::string title = window.Title();
  enum Route { kMenu, kCommandLine, kRecentList };
  for (const BadName& bad : BadNames("cnt")) {
    for (Route route : {kMenu, kCommandLine, kRecentList}) {
      SCOPED_TRACE(bad.path + " by route " + std::to_string(route));
      window.ClearErrors();
      const double seconds = SecondsOf([&] {
        if (route == kMenu) answers.fileNames = {bad.path}, window.Command(kCmdOpen);
        if (route == kCommandLine) OpenFileFromOutside(window, bad.path.c_str());
        if (route == kRecentList) window.SetRecentFiles({bad.path}), window.Command(kCmdRecentFile1);
      });
      // The recent list drops a name that leads to no file at all.
      const std::string reason = route == kRecentList && bad.reason == kNowhere
                                     ? "the file no longer exists; it is taken off the recent files"
                                     : bad.reason;
      EXPECT_LT(seconds, 1.0);
      EXPECT_EQ(window.Errors(), std::vector{"Cannot open \"" + bad.path + "\": " + reason});
      EXPECT_EQ(std::tuple(ModelDifference(before, ModelBytes()), window.Title()), std::tuple("", title));
    }
  }
  EXPECT_TRUE(fs::is_fifo(Path("pipe.cnt")));
}

// Save as, Output, Export picture and Export mesh write through a link, to a new name in a
// folder that exists too, and the link stays; a link into a missing folder or round in a loop
// points nowhere, and it, a pipe, a device or a folder is left as it was, with the reason and
// before "Replace?" is asked.
TEST_F(BadFilesTest, WritersFollowLinksOrSayTheyPointNowhere) {
  answers.fileNames = {Example("bicubic.cnt")};
  window.Command(kCmdOpen);
  window.Command(kCmdBezier);
  const struct {
    int command;
    std::string extension, action;
  } writers[] = {{kCmdSaveAs, "cnt", "Cannot save"},
                 {kCmdOutput, "dat", "Cannot create"},
                 {kCmdExportPicture, "png", "Cannot write"},
                 {kCmdExportMesh, "obj", "Cannot write"}};
  fs::create_directory(Path("folder"));
  for (const auto& w : writers) {
    SCOPED_TRACE(w.extension);
    const std::string old = Path("old." + w.extension), made = Path("folder/made." + w.extension);
    const std::string toOld = Path("to-old." + w.extension), toNew = Path("to-new." + w.extension);
    WriteFile(old, "old");
    ASSERT_EQ(::symlink(old.c_str(), toOld.c_str()), 0);
    ASSERT_EQ(::symlink(("folder/made." + w.extension).c_str(), toNew.c_str()), 0);
    for (const std::string& link : {toOld, toNew}) {
      window.ClearErrors();
      answers.fileNames = {link};
      answers.okCancel = {true};
      window.Command(w.command);
      if (w.command == kCmdOutput) window.Command(kCmdCloseOutput);
      EXPECT_EQ(std::tuple(window.Errors().size(), fs::is_symlink(link)), std::tuple(0u, true)) << link;
    }
    // A log is empty until something is written to it.
    const std::size_t least = w.command == kCmdOutput ? 0 : 4;
    EXPECT_EQ(std::tuple(ReadFile(old) != "old", ReadFile(old).size() >= least,
                         ReadFile(made).size() >= least, fs::is_regular_file(made)),
              std::tuple(true, true, true, true));
    answers.questionsAsked.clear();
    for (const BadName& bad : BadNames(w.extension)) {
      // An export name without an extension gets one: "/dev/null.png" is no device.
      if (bad.path.starts_with("/dev/") && w.action == "Cannot write") continue;
      window.ClearErrors();
      answers.fileNames = {bad.path};
      answers.okCancel = {true};
      const fs::file_type type = fs::symlink_status(bad.path).type();
      EXPECT_LT(SecondsOf([&] { window.Command(w.command); }), 1.0);
      const std::string message = w.action + " \"" + bad.path + "\": " + bad.reason;
      // The log's refusal shows in a box only.
      const std::string status = w.command == kCmdOutput ? window.Status() : message;
      EXPECT_EQ(std::tuple(window.Errors(), window.Status(), fs::symlink_status(bad.path).type()),
                std::tuple(std::vector{message}, status, type));
      EXPECT_EQ(std::tuple(m.logFile, answers.questionsAsked.size(), window.IsEnabled(kCmdOutput)),
                std::tuple(nullptr, 0u, true));
    }
  }
}

// A Save as that fails says why in a box and on the status line, leaves the document unsaved
// under its old name, and leaves no file behind, not even a temporary one.
TEST_F(BadFilesTest, AFailedSaveAsLeavesTheDocumentUnsaved) {
  for (auto [x, y] : {std::pair{100, 100}, {200, 300}, {300, 100}}) window.Click(x, y);
  const std::string title = window.Title();
  std::vector<BadName> cases = BadNames("cnt");
  // Root writes into any folder with its permission bits; not into /sys.
  const std::string locked = Path("locked");
  fs::create_directory(locked);
  ::chmod(locked.c_str(), 0500);
  cases.push_back({::geteuid() == 0 ? "/sys/x.cnt" : locked + "/x.cnt", ""});
  cases.push_back({Path("full.cnt"), "File too large"});
  const long entries = Entries();
  for (const BadName& bad : cases) {
    SCOPED_TRACE(bad.path);
    window.ClearErrors();
    answers.fileNames = {bad.path};
    const FileSizeLimit full(bad.reason == "File too large" ? 16 : RLIM_INFINITY);
    window.Command(kCmdSaveAs);
    ASSERT_EQ(window.Errors().size(), 1u);
    EXPECT_TRUE(window.Errors()[0].starts_with("Cannot save \"" + bad.path + "\": " + bad.reason));
    EXPECT_EQ(std::tuple(window.Status(), DocumentHistory().Dirty(), window.Title(),
                         m.controlFileChosen, answers.questionsAsked.size(), Entries()),
              std::tuple(window.Errors()[0], true, title, 0, 0u, entries));
  }
  ::chmod(locked.c_str(), 0700);
  EXPECT_TRUE(fs::is_empty(locked));
}

// An empty model is refused before a name is asked for, with the reason on the status line.
TEST_F(BadFilesTest, AnEmptyModelIsNotSaved) {
  for (int command : {kCmdSave, kCmdSaveAs, kCmdSurfaces, kCmdSave, kCmdSaveAs}) {
    window.ShowStatus("");
    window.Command(command);
    if (command == kCmdSurfaces) continue;
    EXPECT_EQ(std::tuple(window.Status(), answers.promptTitles.size(), window.Errors().size()),
              std::tuple("Cannot save: the model has no points", 0u, 0u));
  }
}

// A triangular net has no knots: both Knots items are greyed and their tips say why.
TEST_F(BadFilesTest, KnotsAreGreyedForATriangularNet) {
  for (auto [file, x, y] : {std::tuple{"curve.cnt", true, false}, {"triangle.cnt", false, false},
                            {"bicubic.cnt", true, true}}) {
    answers.fileNames = {Example(file)};
    window.Command(kCmdOpen);
    EXPECT_EQ(std::pair(window.IsEnabled(kCmdXKnots), window.IsEnabled(kCmdYKnots)),
              std::pair(x, y)) << file;
  }
  for (int id : {kCmdXKnots, kCmdYKnots}) {
    EXPECT_NE(std::string(StatusTip(id)).find("a triangular net has none"), std::string::npos);
  }
}

}  // namespace
}  // namespace tambra
