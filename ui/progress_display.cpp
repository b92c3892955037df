#include "ui/progress_display.h"

#include "ui/progress_figures.h"
#include "ui/twips.h"

#include <QAccessible>
#include <QFrame>
#include <QLabel>
#include <QLocale>

namespace quillmere {

ProgressDisplay::ProgressDisplay(QLabel& status, QFrame& outline, QWidget& fill, QLabel& percentage)
    : status_(status), outline_(outline), fill_(fill), percentage_(percentage), statusText_(status.text()) {}

void ProgressDisplay::setStatus(const QString& text) {
    statusText_ = text;
    if (!held_) {
        apply();
    }
}

void ProgressDisplay::setProgress(int done, int total) {
    done_ = done;
    total_ = total;
    progressDue_ = true;
    if (!held_) {
        apply();
    }
}

void ProgressDisplay::hold() {
    held_ = true;
}

void ProgressDisplay::paint() {
    apply();
    // The whole bar area, not the fill alone: a fill that shrank uncovers
    // what lies beneath it, and the outline and percentage lie above it.
    outline_.parentWidget()->repaint(outline_.geometry());
    status_.repaint();
}

// A build may end on the status it began with, "Ready"; its end is read
// out all the same.
void ProgressDisplay::release() {
    paint();
    held_ = false;
    QAccessibleEvent statusRead(&status_, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&statusRead);
}

// Assistive technology reads the status out as it changes, and the
// percentage as the progress bar's value.
void ProgressDisplay::apply() {
    if (status_.text() != statusText_) {
        status_.setText(statusText_);
        QAccessibleEvent statusRead(&status_, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&statusRead);
    }
    if (!progressDue_) {
        return;
    }
    progressDue_ = false;
    const auto fullWidth = static_cast<float>(twipsFromPixels(outline_.width()));
    fill_.resize(roundedPixelsFromTwips(progressBarWidth(fullWidth, done_, total_)), fill_.height());
    const QString percentage = percentageText(done_, total_, QLocale().decimalPoint());
    if (percentage_.text() != percentage) {
        percentage_.setText(percentage);
        QAccessibleValueChangeEvent valueRead(fill_.parentWidget(), 100.0 * done_ / total_);
        QAccessible::updateAccessibility(&valueRead);
    }
}

}  // namespace quillmere
