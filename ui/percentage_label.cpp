#include "ui/percentage_label.h"

#include <QPainter>

namespace quillmere {

PercentageLabel::PercentageLabel(const QString& text, const QWidget& fill, QWidget* parent)
    : QLabel(text, parent), fill_(fill) {}

void PercentageLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect overFill = fill_.geometry().translated(-pos()) & rect();
    painter.setClipRegion(QRegion(rect()) - overFill);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect(), static_cast<int>(alignment()), text());
    painter.setClipRect(overFill);
    painter.setPen(Qt::black);
    painter.drawText(rect(), static_cast<int>(alignment()), text());
}

}  // namespace quillmere
