#pragma once

#include <string>
#include <string_view>

namespace quillmere {

inline constexpr std::string_view kDirectoryHeader = "HP39AscA";
inline constexpr std::string_view kDirectoryFileName = "HP39DIR.000";
inline constexpr std::string_view kCurrentFileName = "HP39DIR.CUR";
inline constexpr std::string_view kCurrentFileContent = "HP39AscA A 11 HP39DIR.0004 Root";

// Writes "HP39DIR.000" (directoryText) and "HP39DIR.CUR" (its fixed text)
// into folder. Both are written in full beside their targets first and then
// moved over them, so any failure leaves the earlier files as they were and
// no temporary file behind. A read-only earlier file is refused, not
// replaced. Throws CatalogueError.
void writeDirectoryFiles(const std::string& folder, std::string_view directoryText);

}  // namespace quillmere
