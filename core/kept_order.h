#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillmere {

// The rows a folder opens in, so that an order once written survives
// reopening: the files that directoryBytes (an "HP39DIR.000") names, in the
// order the calculator shows them, each once, then the listing's other files
// in listing order. A name matches only byte for byte; one no longer listed
// is left out. Bytes that do not read cleanly as a directory give the
// listing order.
std::vector<std::string> keptOrder(const std::vector<std::string>& listing, std::string_view directoryBytes);

// keptOrder of folder's own "HP39DIR.000". A missing or unreadable one, or a
// link out of the folder, gives the listing order: never an error.
std::vector<std::string> keptOrderOf(const std::string& folder, const std::vector<std::string>& listing);

}  // namespace quillmere
