#include "base/atomic_file.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace tambra {

namespace {

bool Fail(FileWriteFailure& failure, FileWriteStep step, std::string reason) {
  failure.step = step;
  failure.reason = std::move(reason);
  return false;
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

}  // namespace

bool NamesNonRegularFile(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
}

bool WriteFileAtomically(const std::string& path, std::string_view text, FileWriteFailure& failure) {
  if (NamesNonRegularFile(path)) {
    return Fail(failure, FileWriteStep::kNotRegularFile, kNotRegularFileReason);
  }
  std::string target = path;
  struct stat info;
  // Write through a symbolic link to the file it names, as writing in place
  // would, instead of replacing the link by a plain file.
  if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
      target = resolved;
      std::free(resolved);
    }
  }
  // The new file keeps the permissions of the one it replaces; a new one
  // gets what creating it in place would have given it.
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

  const char* data = text.data();
  std::size_t left = text.size();
  int error = 0;
  while (error == 0 && left > 0) {
    const ssize_t written = ::write(fd, data, left);
    if (written < 0) {
      if (errno != EINTR) error = errno;
    } else {
      data += written;
      left -= static_cast<std::size_t>(written);
    }
  }
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
  return true;
}

}  // namespace tambra
