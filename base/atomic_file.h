// The one way the program writes a file: whole or not at all. The text goes
// to a temporary file beside the target, which is renamed over the target
// only once every byte was written and the file closed, so a failure leaves
// the old file as it was and no temporary file behind.
#pragma once

#include <string>
#include <string_view>

namespace tambra {

// The reason given for a target that exists but is no regular file.
inline constexpr char kNotRegularFileReason[] = "it is not a regular file";

// True when `path` exists but is no regular file: a device, a pipe, a
// folder, or a symbolic link to one. Writing there would replace it.
bool NamesNonRegularFile(const std::string& path);

// Where an atomic write stopped.
enum class FileWriteStep : int {
  kNotRegularFile,  // the target is no regular file; nothing was touched
  kCreate,          // the temporary file could not be created
  kWrite,           // writing or closing the temporary file failed
  kRename,          // the temporary file could not take the target's name
};

struct FileWriteFailure {
  FileWriteStep step = FileWriteStep::kCreate;
  std::string reason;  // kNotRegularFileReason or the system's words for errno
};

// Writes `text` to `path` atomically. A symbolic link is followed and the
// file it names is replaced (the link stays); a dangling link is replaced by
// the file. The new file keeps the permission bits of the regular file it
// replaces; a new one gets 0666 less the umask, as creating it in place
// would. A target that exists but is no regular file is never replaced.
// Returns true when the file holds `text`; otherwise false with `failure`
// filled in, the target untouched and the temporary file removed.
bool WriteFileAtomically(const std::string& path, std::string_view text, FileWriteFailure& failure);

}  // namespace tambra
