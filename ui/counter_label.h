#pragma once

#include <QLabel>

namespace quillmere {

// The hidden refresh counter. A label has no change signal of its own, so
// the caption changes only through increment(), which announces the change
// before it returns: whatever is connected runs inside the increment.
class CounterLabel : public QLabel {
    Q_OBJECT

public:
    explicit CounterLabel(QWidget* parent);

    void increment();

signals:
    void captionChanged();
};

}  // namespace quillmere
