#pragma once

#include <string>

namespace quillmere {

// Where path finally leads once every symbolic link on it is followed (a
// relative link counts from the link's own folder). The path itself when it
// is no link or is missing; empty for a loop or an unreadable link.
std::string followLinks(const std::string& path);

// Whether path, through every link, names a file in folder or below it.
// Folders come from strangers' archives: a link may point anywhere, and only
// what stays inside may be read for, or written by, the directory.
bool staysInsideFolder(const std::string& folder, const std::string& path);

}  // namespace quillmere
