#pragma once

#include <QList>
#include <QMessageBox>
#include <QString>
#include <QTimer>

namespace quillmere::testing {

struct CaughtMessage {
    QString title;
    QString text;
    QMessageBox::Icon icon;
    QList<QMessageBox::StandardButton> buttons;
};

// Message boxes are modal and wait for a click. While a catcher lives, each
// box that opens is recorded and closed with its first button.
class MessageCatcher {
public:
    MessageCatcher();

    const QList<CaughtMessage>& messages() const { return messages_; }

private:
    void closeOpenBox();

    QTimer poll_;
    QList<CaughtMessage> messages_;
};

}  // namespace quillmere::testing
