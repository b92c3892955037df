#include "progress_display.h"

#include "twips.h"

#include <QAccessible>
#include <QFrame>
#include <QLabel>
#include <QLocale>

namespace quillmere {

ProgressDisplay::ProgressDisplay(QLabel& status, QFrame& outline, QWidget& fill, QLabel& percentage)
    : status_(status),
      outline_(outline),
      fill_(fill),
      percentage_(percentage),
      statusText_(status.text()),
      fillWidth_(fill.width()),
      percentageText_(percentage.text()) {}

void ProgressDisplay::setStatus(const QString& text) {
    statusText_ = text;
    if (!held_) {
        apply();
    }
}

void ProgressDisplay::setProgress(float fillWidthTwips, const QString& percentage) {
    fillWidth_ = roundedPixelsFromTwips(fillWidthTwips);
    percentageText_ = percentage;
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

void ProgressDisplay::release() {
    paint();
    held_ = false;
}

// Assistive technology reads the status out as it changes, and the
// percentage as the progress bar's value.
void ProgressDisplay::apply() {
    if (status_.text() != statusText_) {
        status_.setText(statusText_);
        QAccessibleEvent statusRead(&status_, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&statusRead);
    }
    fill_.resize(fillWidth_, fill_.height());
    if (percentage_.text() != percentageText_) {
        percentage_.setText(percentageText_);
        QAccessibleValueChangeEvent valueRead(fill_.parentWidget(), QLocale().toDouble(percentageText_.chopped(1)));
        QAccessible::updateAccessibility(&valueRead);
    }
}

}  // namespace quillmere
