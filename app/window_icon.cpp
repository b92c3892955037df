#include "app/window_icon.h"

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QTimer>
#include <QWidget>

namespace {

// Six pictures to decode and some 350 KB of pixels for the X server: given
// before the first show, the icon alone made the window appear a tenth
// later. Given after the first paint, it delays neither the window nor
// what it shows.
class IconOncePainted : public QObject {
public:
    explicit IconOncePainted(QWidget& window) : QObject(&window) { window.installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // Queued, so that the paint under way reaches the screen first.
            QTimer::singleShot(0, this, [this] {
                QIcon icon;
                for (const int size : {16, 32, 48, 64, 128, 256}) {
                    icon.addFile(QStringLiteral(":/icons/%1/io.github.quillmere.Quillmere.png").arg(size));
                }
                QApplication::setWindowIcon(icon);
                deleteLater();
            });
        }
        return false;
    }
};

}  // namespace

void setIconOncePainted(QWidget& window) {
    new IconOncePainted(window);
}
