// The atomic writer that serves Save and the matrix dumps: the target holds
// the whole text or is left as it was, links and permissions are kept, and
// what is no regular file is never replaced.
#include "base/atomic_file.h"

#include <limits.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <filesystem>

#include "session_fixture.h"

namespace tambra {
namespace {

namespace fs = std::filesystem;

class AtomicFileTest : public SessionTest {
 protected:
  AtomicFileTest() : SessionTest(0) {}
  bool Write(const std::string& path, const std::string& text) {
    failure = FileWriteFailure{};
    return WriteFileAtomically(path, text, failure);
  }
  long Entries() const { return std::distance(fs::directory_iterator(dir), {}); }

  FileWriteFailure failure;
};

// New files get the umask's permissions, replaced ones keep theirs; a link is written through
// and stays a link (links to new names and to nowhere are the app's bad-file tests); a name
// too long for a suffix still works.
TEST_F(AtomicFileTest, WritesWholeFilesKeepingPermissionsAndLinks) {
  const std::string fresh = Path("fresh.dat"), real = Path("real.cnt"), link = Path("link.cnt");
  const mode_t previousMask = ::umask(027);
  EXPECT_TRUE(Write(fresh, std::string("a\0b\r\n", 5)));
  ::umask(previousMask);
  EXPECT_EQ(ReadFile(fresh), std::string("a\0b\r\n", 5));
  EXPECT_EQ(fs::status(fresh).permissions(), fs::perms(0640));

  WriteFile(real, "old, and longer than the new text");
  ::chmod(real.c_str(), 0604);
  ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);
  EXPECT_EQ((std::tuple{Write(link, "new"), fs::is_symlink(link), ReadFile(real)}), std::tuple(true, true, "new"));
  EXPECT_EQ(fs::status(real).permissions(), fs::perms(0604));

  const std::string longest = Path(std::string(NAME_MAX, 'n'));
  EXPECT_TRUE(Write(longest, "long")) << failure.reason;
  EXPECT_EQ(ReadFile(longest), "long");
  EXPECT_EQ(Entries(), 4) << "no temporary file is left";
}

// A pipe, a folder, a device and links to them are refused untouched; a write cut short and a
// folder that does not exist fail at their step with the system's words, leaving the old file.
TEST_F(AtomicFileTest, FailuresLeaveTargetsAsTheyWere) {
  const std::string fifo = Path("pipe"), folder = Path("folder"), device = Path("null");
  const std::string link = Path("link"), old = Path("old.dat");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  fs::create_directory(folder);
  ASSERT_EQ(::symlink(fifo.c_str(), link.c_str()), 0);
  const bool root = ::mknod(device.c_str(), S_IFCHR | 0600, ::makedev(1, 3)) == 0;
  for (const std::string& target : {fifo, folder, link, root ? device : fifo}) {
    EXPECT_EQ((std::tuple{Write(target, "text"), failure.step, failure.reason}),
              std::tuple(false, FileWriteStep::kNotRegularFile, "it is not a regular file")) << target;
  }
  EXPECT_EQ(std::tuple(fs::is_fifo(fifo), fs::is_symlink(link), fs::is_empty(folder)),
            std::tuple(true, true, true));
  if (root) { EXPECT_TRUE(fs::is_character_file(device)); }

  WriteFile(old, "old contents");
  bool written;
  {
    const FileSizeLimit full(16);
    written = Write(old, std::string(100, 'x'));
  }
  EXPECT_EQ(std::tuple(written, failure.step, failure.reason),
            std::tuple(false, FileWriteStep::kWrite, "File too large"));
  EXPECT_EQ(ReadFile(old), "old contents");

  EXPECT_EQ((std::tuple{Write(Path("missing/x.dat"), "text"), failure.step, failure.reason}),
            std::tuple(false, FileWriteStep::kCreate, "No such file or directory"));
  EXPECT_EQ(Entries(), root ? 5 : 4) << "no temporary file is left";
}

}  // namespace
}  // namespace tambra
