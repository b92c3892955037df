#pragma once

#include <QLabel>

namespace quillmere {

// The percentage over the progress bar: black where it lies over the fill,
// whose cyan no light text can be read on, and in the palette's text colour
// over the rest of the bar, whatever the palette.
class PercentageLabel : public QLabel {
public:
    PercentageLabel(const QString& text, const QWidget& fill, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const QWidget& fill_;
};

}  // namespace quillmere
