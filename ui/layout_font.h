#pragma once

class QWidget;

namespace quillmere {

// The windows' fixed layout was drawn for an 8-point system font. The
// platform's own family at that size, condensed where it has such a face,
// keeps every caption inside its control whatever the desktop's default.
void useLayoutFont(QWidget& window);

}  // namespace quillmere
