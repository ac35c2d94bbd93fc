#include "base/file_open.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/atomic_file.h"

namespace tambra {

namespace {

// Why `path` did not open with `error`: a link that leads nowhere says so,
// a pipe without a reader is no regular file.
std::string OpenFailureReason(const std::string& path, int error) {
  struct stat info;
  if ((error == ENOENT || error == ELOOP) && ::lstat(path.c_str(), &info) == 0 &&
      S_ISLNK(info.st_mode)) {
    return kLinkPointsNowhereReason;
  }
  if (error == ENXIO) return kNotRegularFileReason;
  return std::strerror(error);
}

// The descriptor `fd` of `path` as a stream in `mode`, once it proved to be
// a regular file; the descriptor is closed otherwise. Reading and writing
// it block as usual from here on.
std::FILE* StreamOfRegularFile(int fd, bool empty, const char* mode, std::string& reason) {
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    reason = kNotRegularFileReason;
    ::close(fd);
    return nullptr;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if ((empty && ::ftruncate(fd, 0) != 0) ||
      (flags == -1 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)) {
    reason = std::strerror(errno);
    ::close(fd);
    return nullptr;
  }
  std::FILE* file = ::fdopen(fd, mode);
  if (file == nullptr) {
    reason = std::strerror(errno);
    ::close(fd);
  }
  return file;
}

}  // namespace

std::FILE* OpenRegularFileToRead(const std::string& path, std::string& reason) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    reason = OpenFailureReason(path, errno);
    return nullptr;
  }
  return StreamOfRegularFile(fd, false, "rb", reason);
}

std::FILE* OpenRegularFileToWrite(const std::string& path, std::string& reason) {
  // No O_TRUNC: only a regular file is emptied, once it proved to be one.
  const int fd =
      ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
  if (fd < 0) {
    reason = OpenFailureReason(path, errno);
    return nullptr;
  }
  return StreamOfRegularFile(fd, true, "wb", reason);
}

}  // namespace tambra
