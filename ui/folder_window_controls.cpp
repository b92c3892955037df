#include "ui/folder_window_controls.h"

#include "ui/control_names.h"
#include "ui/folder_tree.h"
#include "ui/folder_window.h"
#include "ui/placed_control.h"
#include "ui/twips.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quillmere {
namespace {

namespace names = dialog_names;

QPushButton* button(QWidget& window, const char* name, const QString& caption, QRect geometry) {
    auto* control = place(new QPushButton(caption, &window), name, geometry);
    // An auto-default button would make the next one in the focus chain the
    // window's default, so Enter in the path field would press Cancel. The
    // window presses the focused button on Enter itself.
    control->setAutoDefault(false);
    return control;
}

}  // namespace

DialogControls createDialogControls(QWidget& window) {
    DialogControls c{};
    c.Frame1 = place(new QGroupBox(&window), names::Frame1, rectFromTwips(120, 120, 5535, 2415));
    c.Drive1 = place(new QComboBox(c.Frame1), names::Drive1, rectFromTwips(120, 240, 5295, 315));
    c.Dir1 = place(new FolderTree(c.Frame1), names::Dir1, rectFromTwips(120, 600, 5295, 1665));
    c.Text1 = place(new QLineEdit(&window), names::Text1, rectFromTwips(120, 2640, 5535, 285));
    c.Label1 = place(new QLabel(Dialog::tr("MUST DOUBLE CLICK THE FOLDER"), &window), names::Label1,
                     rectFromTwips(120, 3000, 2895, 255));
    c.Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    c.OKButton = button(window, names::OKButton, Dialog::tr("OK"), rectFromTwips(3120, 2880, 1215, 375));
    c.CancelButton =
        button(window, names::CancelButton, Dialog::tr("Cancel"), rectFromTwips(4440, 2880, 1215, 375));

    QWidget::setTabOrder(c.OKButton, c.CancelButton);
    QWidget::setTabOrder(c.CancelButton, c.Dir1);
    QWidget::setTabOrder(c.Dir1, c.Drive1);
    QWidget::setTabOrder(c.Drive1, c.Text1);
    c.OKButton->setFocus();
    return c;
}

}  // namespace quillmere
