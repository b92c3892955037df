#include "ui/counter_label.h"

#include <QLocale>

namespace quillmere {

CounterLabel::CounterLabel(QWidget* parent) : QLabel(QStringLiteral("0"), parent) {}

void CounterLabel::increment() {
    const double next = text().toDouble() + 1;
    setText(QString::number(next, 'g', QLocale::FloatingPointShortest));
    emit captionChanged();
}

}  // namespace quillmere
