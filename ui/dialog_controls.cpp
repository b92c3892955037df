#include "dialog_controls.h"

#include "folder_tree.h"
#include "placed_control.h"
#include "twips.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quillmere {
namespace {

QPushButton* button(QWidget& window, const char* name, const QString& caption, QRect geometry) {
    auto* control = place(new QPushButton(caption, &window), name, geometry);
    // Neither button is the window's default: Enter presses no button.
    control->setAutoDefault(false);
    return control;
}

}  // namespace

DialogControls createDialogControls(QWidget& window) {
    DialogControls c{};
    c.Frame1 = place(new QGroupBox(&window), "Frame1", rectFromTwips(120, 120, 5535, 2415));
    c.Drive1 = place(new QComboBox(c.Frame1), "Drive1", rectFromTwips(120, 240, 5295, 315));
    c.Dir1 = place(new FolderTree(c.Frame1), "Dir1", rectFromTwips(120, 600, 5295, 1665));
    c.Text1 = place(new QLineEdit(&window), "Text1", rectFromTwips(120, 2640, 5535, 285));
    c.Label1 = place(new QLabel(QStringLiteral("MUST DOUBLE CLICK THE FOLDER"), &window), "Label1",
                     rectFromTwips(120, 3000, 2895, 255));
    c.Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    c.OKButton = button(window, "OKButton", QStringLiteral("OK"), rectFromTwips(3120, 2880, 1215, 375));
    c.CancelButton =
        button(window, "CancelButton", QStringLiteral("Cancel"), rectFromTwips(4440, 2880, 1215, 375));

    QWidget::setTabOrder(c.OKButton, c.CancelButton);
    QWidget::setTabOrder(c.CancelButton, c.Dir1);
    QWidget::setTabOrder(c.Dir1, c.Drive1);
    QWidget::setTabOrder(c.Drive1, c.Text1);
    c.OKButton->setFocus();
    return c;
}

}  // namespace quillmere
