#pragma once

#include <QWidget>

namespace quillmere {

// The rectangle of the progress bar, holding its filled part, its outline
// and the percentage over both; to assistive technology, one progress bar.
class ProgressArea : public QWidget {
    Q_OBJECT

public:
    using QWidget::QWidget;
};

}  // namespace quillmere
