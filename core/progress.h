#pragma once

#include <string>

namespace quillmere {

// Width of the filled bar after passesDone of rowCount passes: the full
// width is divided first, in single precision, so the bar grows by equal
// steps and ends at (about) the full width.
float progressBarWidth(float fullWidth, int passesDone, int rowCount);

// "33.3333333333333%": the share done with up to 15 significant digits,
// never rounded to whole percent, written with decimalSeparator.
std::string percentageText(int passesDone, int rowCount,
                           const std::string& decimalSeparator);

}  // namespace quillmere
