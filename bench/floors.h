#pragma once

#include <string>
#include <vector>

// The least work each action needs, written as a plain loop: what the
// window is measured against.
std::vector<std::string> floorListing(const std::string& folder);
void floorReadHeaders(const std::string& folder, const std::vector<std::string>& names);
void floorCreateDirectory(const std::string& folder, const std::string& output);
