#include "ui/arrow_button.h"

#include <QPainter>

namespace quillmere {
namespace {

// Rows of the triangle, apex row first: each row is one pixel wider on
// each side, so the slopes run at 45 degrees and stay crisp unsmoothed.
constexpr int kRows = 7;

}  // namespace

ArrowButton::ArrowButton(Direction direction, QWidget* parent) : QPushButton(parent), direction_(direction) {}

void ArrowButton::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);

    QPainter painter(this);
    QPoint centre(width() / 2, height() / 2);
    if (isDown()) {
        // A pressed button's picture sinks with its face.
        centre += QPoint(1, 1);
    }
    const bool up = direction_ == Direction::Up;
    const int apexY = centre.y() + (up ? -kRows / 2 : kRows / 2);
    const int step = up ? 1 : -1;
    const int baseY = apexY + step * (kRows - 1);
    const int x = centre.x();
    const int halfBase = kRows - 1;

    painter.setPen(palette().color(QPalette::Dark));
    for (int row = 0; row < kRows; ++row) {
        painter.drawLine(x - row, apexY + step * row, x + row, apexY + step * row);
    }

    // Lit from the top left. The highlight runs one pixel inside the lit
    // edges, so that it shows against a face as light as itself; the shade
    // lies on the edges facing away from the light.
    painter.setPen(Qt::white);
    painter.drawLine(x, apexY + step, x - halfBase + 1, baseY);
    if (!up) {
        painter.drawLine(x - halfBase + 1, baseY + 1, x + halfBase - 2, baseY + 1);
    }
    painter.setPen(Qt::black);
    painter.drawLine(x, apexY, x + halfBase, baseY);
    if (up) {
        painter.drawLine(x - halfBase, baseY, x + halfBase, baseY);
    }
}

}  // namespace quillmere
