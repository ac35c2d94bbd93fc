// Opening a file the user named, to read a model or to write the log,
// without waiting on it: a named pipe or a device would hold the program
// until something appears at its other end. The name is opened without
// blocking and refused unless it is a regular file, judged on the opened
// descriptor itself, so nothing can swap the name in between.
#pragma once

#include <cstdio>
#include <string>

namespace tambra {

// Opens `path` for reading ("rb"). Null, with the reason, when it cannot be
// opened or is no regular file (kNotRegularFileReason), or when it is a
// symbolic link that leads nowhere (kLinkPointsNowhereReason).
std::FILE* OpenRegularFileToRead(const std::string& path, std::string& reason);

// Opens `path` for writing ("wb"), created when missing, emptied when it is
// a regular file. Null, with the reason, as for reading; what is no regular
// file is neither emptied nor written.
std::FILE* OpenRegularFileToWrite(const std::string& path, std::string& reason);

}  // namespace tambra
