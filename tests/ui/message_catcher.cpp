#include "message_catcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>

namespace quillmere::testing {

MessageCatcher::MessageCatcher() {
    // Polls from inside the box's own event loop, where the test's code is
    // blocked in the call that opened it.
    QObject::connect(&poll_, &QTimer::timeout, [this] { closeOpenBox(); });
    poll_.start(0);
}

void MessageCatcher::closeOpenBox() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) {
        return;
    }
    CaughtMessage message{box->windowTitle(), box->text(), box->icon(), {}};
    for (QAbstractButton* button : box->buttons()) {
        message.buttons.append(box->standardButton(button));
    }
    messages_.append(message);
    QTest::mouseClick(box->buttons().first(), Qt::LeftButton);
}

}  // namespace quillmere::testing
