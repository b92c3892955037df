#pragma once

#include <string>
#include <string_view>

namespace quillmere {

inline constexpr std::string_view kDirectoryHeader = "HP39AscA";
inline constexpr std::string_view kDirectoryFileName = "HP39DIR.000";
inline constexpr std::string_view kCurrentFileName = "HP39DIR.CUR";
inline constexpr std::string_view kCurrentFileContent = "HP39AscA A 11 HP39DIR.0004 Root";

// Writes "HP39DIR.000" (directoryText) and "HP39DIR.CUR" (its fixed text)
// into folder, holding a lock on the folder meanwhile. Both are written in
// full beside their targets first, synced, and then moved over them, so any
// failure, or a stop signal, leaves the earlier files as they were and no
// file of the write behind. An earlier file that the user may not write is
// refused, not replaced; a replaced one keeps its mode bits, owner and group
// (a new one takes the folder's owner and group where allowed), and a
// symbolic link stays a link to the file it names, as long as that lies in
// the folder: a link out of it is refused. Throws CatalogueError.
void writeDirectoryFiles(const std::string& folder, std::string_view directoryText);

// Whether the two files in folder already say this, byte for byte; false
// where either cannot be read.
bool directoryFilesSay(const std::string& folder, std::string_view directoryText);

}  // namespace quillmere
