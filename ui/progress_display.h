#pragma once

#include <QString>

class QFrame;
class QLabel;
class QWidget;

namespace quillmere {

// The status text and the progress bar: the outline, its filled part and
// the percentage over both. A build reports how many of its passes are
// done; the display turns that into the bar's width and the percentage.
//
// A build runs to its end without returning to the event loop, so nothing it
// changes would be seen before it ends. While held, the display only records
// the latest values, and paint() pushes them into the widgets and repaints
// them at once.
class ProgressDisplay {
public:
    ProgressDisplay(QLabel& status, QFrame& outline, QWidget& fill, QLabel& percentage);

    void setStatus(const QString& text);
    void setProgress(int done, int total);

    void hold();
    void paint();
    // Paints the last values and shows every later change as it comes.
    void release();

private:
    void apply();

    QLabel& status_;
    QFrame& outline_;
    QWidget& fill_;
    QLabel& percentage_;
    bool held_ = false;
    QString statusText_;
    // Turned into width and text only when shown, not on every pass.
    int done_ = 0;
    int total_ = 0;
    bool progressDue_ = false;
};

}  // namespace quillmere
