#include "ui/main_window_controls.h"

#include "ui/arrow_button.h"
#include "ui/control_names.h"
#include "ui/counter_label.h"
#include "ui/file_box.h"
#include "ui/list_box.h"
#include "ui/main_window.h"
#include "ui/percentage_label.h"
#include "ui/placed_control.h"
#include "ui/progress_area.h"
#include "ui/twips.h"

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

namespace names = form1_names;

QLabel* label(QWidget* parent, const char* name, const QString& caption, QRect geometry,
              Qt::Alignment alignment = Qt::AlignLeft) {
    // Named before its text is set: assistive technology may take its
    // measure at the first text, and the status is known by name.
    auto* control = place(new QLabel(parent), name, geometry);
    control->setText(caption);
    control->setAlignment(alignment | Qt::AlignTop);
    return control;
}

// Enter presses the focused button, as Space does.
template <typename Button>
Button* pressedByEnter(Button* button) {
    button->setAutoDefault(true);
    return button;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, QRect geometry) {
    return pressedByEnter(place(new QPushButton(caption, parent), name, geometry));
}

QListView* listBox(QWidget* parent, const char* name) {
    auto* control = place(new ListBox(parent), name, rectFromTwips(240, 240, 2775, 2010));
    control->setSelectionMode(QAbstractItemView::SingleSelection);
    // Folders of a hundred thousand files stay quick to fill and scroll.
    control->setUniformItemSizes(true);
    // Names too long for the list keep their ends, where long names of one
    // folder tend to differ ("…LEVEL1.000", "…LEVEL2.000").
    control->setTextElideMode(Qt::ElideMiddle);
    return control;
}

void createProgressBar(Form1Controls& c) {
    auto* area = new ProgressArea(c.Frame1);
    area->setGeometry(rectFromTwips(1680, 1080, 2415, 255));
    const QRect bar = rectFromTwips(0, 0, 2415, 255);

    // Created first, so the outline and the percentage lie above the fill.
    c.progress = place(new QWidget(area), names::progress, rectFromTwips(0, 0, 15, 255));
    QPalette fill = c.progress->palette();
    fill.setColor(QPalette::Window, QColor(0, 192, 192));
    c.progress->setPalette(fill);
    c.progress->setAutoFillBackground(true);

    c.Shape1 = place(new QFrame(area), names::Shape1, bar);
    c.Shape1->setFrameStyle(QFrame::Box | QFrame::Plain);

    c.Label3 = place(new PercentageLabel(Form1::tr("0%"), *c.progress, area), names::Label3, bar);
    c.Label3->setAlignment(Qt::AlignCenter);
}

void createOptions(QWidget& window, Form1Controls& c) {
    c.Frame1 = place(new QGroupBox(Form1::tr("Options"), &window), names::Frame1,
                     rectFromTwips(120, 120, 4335, 2415));
    c.Label2 = label(c.Frame1, names::Label2, Form1::tr("Calculator Files Folder"),
                     rectFromTwips(120, 360, 1575, 255));
    c.Text2 = place(new QLineEdit(c.Frame1), names::Text2, rectFromTwips(1800, 360, 2295, 285));
    // The folder changes only through the folder window, so a build can
    // never write into a folder that the list does not show.
    c.Text2->setReadOnly(true);
    // A long path is cut short in the field; its tooltip shows it whole.
    QObject::connect(c.Text2, &QLineEdit::textChanged, c.Text2, &QWidget::setToolTip);
    c.Command2 = button(c.Frame1, names::Command2, Form1::tr("Change"), rectFromTwips(120, 720, 1215, 375));
    c.Label4 = label(c.Frame1, names::Label4, Form1::tr("There are   files in this folder"),
                     rectFromTwips(1680, 720, 2415, 255));
    c.Command3 =
        button(c.Frame1, names::Command3, Form1::tr("Create DIR"), rectFromTwips(120, 1200, 1215, 495));
    createProgressBar(c);
    c.Label5 = label(c.Frame1, names::Label5, Form1::tr("Status:"), rectFromTwips(1680, 1440, 615, 255));
    c.status = label(c.Frame1, names::status, Form1::tr("Ready"), rectFromTwips(2400, 1440, 1695, 255),
                     Qt::AlignRight);
    c.Command4 = button(c.Frame1, names::Command4, Form1::tr("Exit"), rectFromTwips(120, 1800, 1215, 375));
}

void createOrderOfPreference(QWidget& window, Form1Controls& c) {
    c.Frame2 = place(new QGroupBox(Form1::tr("Order of Preference"), &window), names::Frame2,
                     rectFromTwips(120, 2640, 4335, 2415));
    c.List2 = listBox(c.Frame2, names::List2);
    // Created after the file list, so that when shown it covers it.
    c.List1 = listBox(c.Frame2, names::List1);
    c.List1->hide();
    c.Command1 = pressedByEnter(place(new ArrowButton(ArrowButton::Direction::Up, c.Frame2), names::Command1,
                                      rectFromTwips(3360, 360, 375, 375)));
    c.Command5 = pressedByEnter(place(new ArrowButton(ArrowButton::Direction::Down, c.Frame2),
                                      names::Command5, rectFromTwips(3360, 1080, 375, 375)));
    c.Command6 =
        button(c.Frame2, names::Command6, Form1::tr("Get Names"), rectFromTwips(3120, 1920, 975, 375));
}

void createStateFields(QWidget& window, Catalogue& catalogue, Form1Controls& c) {
    // Hidden, so that widening the window never shows it: a directory text
    // runs to millions of characters, which the catalogue holds and a line
    // edit would lay out one by one.
    c.textt =
        place(new QLineEdit(Form1::tr("Text3"), &window), names::textt, rectFromTwips(4800, 4560, 4095, 495));
    c.textt->hide();

    c.Label1 = place(new CounterLabel(&window), names::Label1, QRect());
    c.Label1->hide();
    c.File1 = place(new FileBox(catalogue, &window), names::File1, QRect());
    c.File1->hide();
}

void setFocusOrder(const Form1Controls& c) {
    QWidget* const order[] = {c.Text2,    c.Command2, c.Command3, c.Command4, c.List2,
                              c.Command1, c.Command5, c.Command6, c.List1};
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
