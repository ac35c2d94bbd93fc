#include "base/atomic_file.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

namespace tambra {

namespace {

// As many links as the system itself follows before it calls it a loop.
constexpr int kMaxLinkHops = 40;

bool Fail(FileWriteFailure& failure, FileWriteStep step, std::string reason) {
  failure.step = step;
  failure.reason = std::move(reason);
  return false;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool IsFolder(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// True when `path` exists but is no regular file: a device, a pipe, a
// folder, or a symbolic link to one. Writing there would replace it.
bool NamesNonRegularFile(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
}

// The next name on a link's way: its text, relative to the link's folder
// unless absolute. False when the link cannot be read.
bool ReadLink(const std::string& link, std::string& next) {
  char text[PATH_MAX];
  const ssize_t length = ::readlink(link.c_str(), text, sizeof text);
  if (length <= 0 || static_cast<std::size_t>(length) >= sizeof text) return false;
  next.assign(text, static_cast<std::size_t>(length));
  if (next[0] != '/') next = FolderOf(link) + "/" + next;
  return true;
}

// A name for the temporary file in the target's folder: the target's name
// with a suffix, or a short fixed name when that would be too long.
std::string TemporaryPattern(const std::string& target) {
  const std::size_t slash = target.rfind('/');
  const std::size_t baseLength =
      slash == std::string::npos ? target.size() : target.size() - slash - 1;
  if (baseLength + 11 <= NAME_MAX) return target + ".tmp-XXXXXX";
  return (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) +
         ".tambra-XXXXXX";
}

// Writes the whole text and flushes it to the disk; 0 or the errno.
int WriteAndFlush(int fd, std::string_view text) {
  const char* data = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    const ssize_t written = ::write(fd, data, left);
    if (written < 0) {
      if (errno != EINTR) return errno;
    } else {
      data += written;
      left -= static_cast<std::size_t>(written);
    }
  }
  return ::fsync(fd) == 0 ? 0 : errno;
}

// The rename lives in the folder: flushed, it survives a crash. The file is
// in place by now, so a folder that cannot be flushed changes nothing.
void FlushFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

bool FindWriteTarget(const std::string& path, std::string& target, FileWriteFailure& failure) {
  if (NamesNonRegularFile(path)) {
    return Fail(failure, FileWriteStep::kNotRegularFile, kNotRegularFileReason);
  }
  std::string current = path;
  for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
    struct stat info;
    if (::lstat(current.c_str(), &info) != 0) {
      // A new name is fine where its folder is; the creation says otherwise.
      const bool linked = hop > 0;
      if (linked && (errno != ENOENT || !IsFolder(FolderOf(current)))) break;
      target = current;
      return true;
    }
    if (!S_ISLNK(info.st_mode)) {
      target = current;
      return true;
    }
    std::string next;
    if (!ReadLink(current, next)) break;
    current = std::move(next);
  }
  return Fail(failure, FileWriteStep::kLinkPointsNowhere, kLinkPointsNowhereReason);
}

bool WriteFileAtomically(const std::string& path, std::string_view text, FileWriteFailure& failure) {
  std::string target;
  if (!FindWriteTarget(path, target, failure)) return false;
  // The new file keeps the permissions of the one it replaces; a new one
  // gets what creating it in place would have given it.
  struct stat info;
  mode_t mode;
  if (::stat(target.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
    mode = info.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }

  std::string temporary = TemporaryPattern(target);
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return Fail(failure, FileWriteStep::kCreate, std::strerror(errno));
  int error = WriteAndFlush(fd, text);
  if (error == 0) ::fchmod(fd, mode);
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    return Fail(failure, FileWriteStep::kWrite, std::strerror(error));
  }
  // Checked again: the target may have changed while the text was written.
  if (NamesNonRegularFile(target)) {
    ::unlink(temporary.c_str());
    return Fail(failure, FileWriteStep::kNotRegularFile, kNotRegularFileReason);
  }
  if (std::rename(temporary.c_str(), target.c_str()) != 0) {
    error = errno;
    ::unlink(temporary.c_str());
    return Fail(failure, FileWriteStep::kRename, std::strerror(error));
  }
  FlushFolder(FolderOf(target));
  return true;
}

}  // namespace tambra
