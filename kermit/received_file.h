#pragma once

#include "core/catalogue_error.h"

#include <optional>
#include <string>
#include <string_view>

namespace quillmere::kermit {

// The hidden folder inside the served folder that kermit receives into, so
// that only a file that arrived whole ever reaches the folder itself.
inline constexpr char kReceivingFolder[] = ".quillmere-receiving";

// A file taken from the calculator into the folder.
struct Receipt {
    std::string name;
    long long bytes = 0;
    // The hidden name an earlier file of that name is kept under, or "".
    std::string keptEarlier;
    // Why the directory could not be rewritten to list the file, if it could not.
    std::optional<Sentence> directoryFailure;
};

// Why a file the calculator sends under this name may not be stored in the
// folder, or "" when it may.
std::string refusalOf(std::string_view name);

// Removes what a session left in folder's receiving folder, and with
// receiving makes it anew. Throws CatalogueError.
void resetReceivingFolder(const std::string& folder, bool receiving);

// Moves the file kermit stored as stagedName in the receiving folder into
// folder as name, first moving an earlier file of that name to a hidden
// name of its own, then rewrites the directory files in the order they keep
// with name as the last row. Throws CatalogueError when the file cannot be
// stored; a directory that cannot be written is told in the receipt.
Receipt takeIn(const std::string& folder, const std::string& stagedName, const std::string& name);

}  // namespace quillmere::kermit
