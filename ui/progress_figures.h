#pragma once

#include <QString>

namespace quillmere {

// Width of the filled bar after done of total passes: the full width is
// divided first, in single precision, so the bar grows by equal steps and
// ends at (about) the full width.
float progressBarWidth(float fullWidth, int done, int total);

// "33.3333333333333%": the share done with up to 15 significant digits,
// never rounded to whole percent, written with the locale's decimalPoint.
QString percentageText(int done, int total, const QString& decimalPoint);

}  // namespace quillmere
