#pragma once

#include <string>

// Fills folder, once, with count calculator files of realistic headers:
// types A B C D E H, titles of 1 to 40 characters, CR LF, a body after; and
// takes away any directory files an earlier run wrote there.
void makeSampleFolder(const std::string& folder, int count);
