// The one way the program writes a file: whole or not at all. The text goes
// to a temporary file beside the target, which is flushed to the disk and
// renamed over the target only once every byte was written and the file
// closed, so a failure leaves the old file as it was and no temporary file
// behind; the folder is flushed after the rename, so the new name lasts.
#pragma once

#include <string>
#include <string_view>

namespace tambra {

// The reason given for a target that exists but is no regular file.
inline constexpr char kNotRegularFileReason[] = "it is not a regular file";
// The reason given for a symbolic link that leads nowhere a file can be: to
// a name in a folder that does not exist, or round in a loop.
inline constexpr char kLinkPointsNowhereReason[] = "the link points nowhere";

// Where an atomic write stopped.
enum class FileWriteStep : int {
  kNotRegularFile,     // the target is no regular file; nothing was touched
  kLinkPointsNowhere,  // the target is a link that leads nowhere; nothing was touched
  kCreate,             // the temporary file could not be created
  kWrite,              // writing, flushing or closing the temporary file failed
  kRename,             // the temporary file could not take the target's name
};

struct FileWriteFailure {
  FileWriteStep step = FileWriteStep::kCreate;
  std::string reason;  // one of the reasons above or the system's words for errno
};

// The name that writing `path` creates or replaces: `path` followed through
// symbolic links. A link to a missing name is followed when the name's
// folder exists. False, with `failure` filled in, when the name is no
// regular file or a link leads nowhere; nothing may be written there.
bool FindWriteTarget(const std::string& path, std::string& target, FileWriteFailure& failure);

// Writes `text` to FindWriteTarget(path) atomically: a symbolic link stays
// and the file it leads to is written. The new file keeps the permission
// bits of the regular file it replaces; a new one gets 0666 less the umask,
// as creating it in place would. Returns true when the file holds `text`;
// otherwise false with `failure` filled in, the target untouched and the
// temporary file removed.
bool WriteFileAtomically(const std::string& path, std::string_view text, FileWriteFailure& failure);

}  // namespace tambra
