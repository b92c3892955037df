#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillmere {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// "C:\" on Windows, "/" elsewhere.
std::string defaultFolder();

// folder, a separator, name: joined as they stand, so a root folder gives a
// doubled separator, which every file system accepts.
std::string joinPath(const std::string& folder, const std::string& name);

// Whether name is "HP39DIR.000" or "HP39DIR.CUR", in any case: the files
// this tool writes, never calculator files.
bool isDirectoryFileName(std::string_view name);

// The calculator files of a folder: regular files (also through a link),
// neither hidden nor system files, nor the directory files this tool writes;
// sorted by name without regard to case. Throws CatalogueError when the
// folder cannot be listed.
std::vector<std::string> listCalculatorFiles(const std::string& folder);

// The names of a folder's subfolders (also through a link), as the file
// system holds them, whatever their encoding; sorted as above. Throws
// CatalogueError when the folder cannot be listed.
std::vector<std::string> listSubfolders(const std::string& folder);

}  // namespace quillmere
