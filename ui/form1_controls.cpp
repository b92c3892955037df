#include "form1_controls.h"

#include "arrow_button.h"
#include "counter_label.h"
#include "directory_text_field.h"
#include "file_box.h"
#include "placed_control.h"
#include "twips.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPalette>
#include <QPushButton>

#include <iterator>

namespace quillmere {
namespace {

QLabel* label(QWidget* parent, const char* name, const QString& caption, QRect geometry,
              Qt::Alignment alignment = Qt::AlignLeft) {
    auto* control = place(new QLabel(caption, parent), name, geometry);
    control->setAlignment(alignment | Qt::AlignTop);
    return control;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, QRect geometry) {
    return place(new QPushButton(caption, parent), name, geometry);
}

QListView* listBox(QWidget* parent, const char* name) {
    auto* control = place(new QListView(parent), name, rectFromTwips(240, 240, 2775, 2010));
    control->setSelectionMode(QAbstractItemView::SingleSelection);
    // Folders of a hundred thousand files stay quick to fill and scroll.
    control->setUniformItemSizes(true);
    return control;
}

void createProgressBar(Form1Controls& c) {
    const QRect bar = rectFromTwips(1680, 1080, 2415, 255);

    // Created first, so the outline and the percentage lie above the fill.
    c.progress = place(new QWidget(c.Frame1), "progress", rectFromTwips(1680, 1080, 15, 255));
    QPalette fill = c.progress->palette();
    fill.setColor(QPalette::Window, QColor(0, 192, 192));
    c.progress->setPalette(fill);
    c.progress->setAutoFillBackground(true);

    c.Shape1 = place(new QFrame(c.Frame1), "Shape1", bar);
    c.Shape1->setFrameStyle(QFrame::Box | QFrame::Plain);

    c.Label3 = place(new QLabel(QStringLiteral("0%"), c.Frame1), "Label3", bar);
    c.Label3->setAlignment(Qt::AlignCenter);
}

void createOptions(QWidget& window, Form1Controls& c) {
    c.Frame1 = place(new QGroupBox(QStringLiteral("Options"), &window), "Frame1",
                     rectFromTwips(120, 120, 4335, 2415));
    c.Label2 = label(c.Frame1, "Label2", QStringLiteral("Calculator Files Folder"),
                     rectFromTwips(120, 360, 1575, 255));
    c.Text2 = place(new QLineEdit(c.Frame1), "Text2", rectFromTwips(1800, 360, 2295, 285));
    // The folder changes only through the folder window, so a build can
    // never write into a folder that the list does not show.
    c.Text2->setReadOnly(true);
    c.Command2 = button(c.Frame1, "Command2", QStringLiteral("Change"), rectFromTwips(120, 720, 1215, 375));
    c.Label4 = label(c.Frame1, "Label4", QStringLiteral("There are   files in this folder"),
                     rectFromTwips(1680, 720, 2415, 255));
    c.Command3 =
        button(c.Frame1, "Command3", QStringLiteral("Create DIR"), rectFromTwips(120, 1200, 1215, 495));
    createProgressBar(c);
    c.Label5 = label(c.Frame1, "Label5", QStringLiteral("Status:"), rectFromTwips(1680, 1440, 615, 255));
    c.status = label(c.Frame1, "status", QStringLiteral("Ready"), rectFromTwips(2400, 1440, 1695, 255),
                     Qt::AlignRight);
    c.Command4 = button(c.Frame1, "Command4", QStringLiteral("Exit"), rectFromTwips(120, 1800, 1215, 375));
}

void createOrderOfPreference(QWidget& window, Form1Controls& c) {
    c.Frame2 = place(new QGroupBox(QStringLiteral("Order of Preference"), &window), "Frame2",
                     rectFromTwips(120, 2640, 4335, 2415));
    c.List2 = listBox(c.Frame2, "List2");
    // Created after the file list, so that when shown it covers it.
    c.List1 = listBox(c.Frame2, "List1");
    c.List1->hide();
    c.Command1 = place(new ArrowButton(ArrowButton::Direction::Up, c.Frame2), "Command1",
                       rectFromTwips(3360, 360, 375, 375));
    c.Command5 = place(new ArrowButton(ArrowButton::Direction::Down, c.Frame2), "Command5",
                       rectFromTwips(3360, 1080, 375, 375));
    c.Command6 =
        button(c.Frame2, "Command6", QStringLiteral("Get Names"), rectFromTwips(3120, 1920, 975, 375));
}

void createStateFields(QWidget& window, Catalogue& catalogue, Form1Controls& c) {
    // Beyond the right edge: it comes into view only when the window is
    // widened, showing the directory text of the last build.
    c.textt = place(new DirectoryTextField(QStringLiteral("Text3"), &window), "textt",
                    rectFromTwips(4800, 4560, 4095, 495));

    c.Label1 = place(new CounterLabel(&window), "Label1", QRect());
    c.Label1->hide();
    c.File1 = place(new FileBox(catalogue, &window), "File1", QRect());
}

void setFocusOrder(const Form1Controls& c) {
    QWidget* const order[] = {c.Text2, c.Command2, c.Command3, c.Command4, c.textt,
                              c.List2, c.Command1, c.Command5, c.Command6, c.List1};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        QWidget::setTabOrder(order[i - 1], order[i]);
    }
    c.Text2->setFocus();
}

}  // namespace

Form1Controls createForm1Controls(QWidget& window, Catalogue& catalogue) {
    Form1Controls c{};
    createOptions(window, c);
    createOrderOfPreference(window, c);
    createStateFields(window, catalogue, c);
    setFocusOrder(c);
    return c;
}

}  // namespace quillmere
