#include "bench/window_driver.h"

#include "ui/main_window.h"

#include <QApplication>
#include <QLineEdit>
#include <QAbstractItemView>
#include <QPushButton>

#include <stdexcept>

namespace {

template <typename Widget>
Widget* childNamed(QWidget* parent, const char* name) {
    auto* child = parent->findChild<Widget*>(QString::fromLatin1(name));
    if (!child) {
        throw std::runtime_error(std::string("no control named ") + name);
    }
    return child;
}

QWidget* folderWindow() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == QLatin1String("Dialog") && window->isVisible()) {
            return window;
        }
    }
    throw std::runtime_error("the folder window is not shown");
}

}  // namespace

WindowDriver::WindowDriver() : window_(std::make_unique<quillmere::Form1>()) {
    window_->show();
}

WindowDriver::~WindowDriver() = default;

void WindowDriver::click(QWidget* parent, const char* button) {
    childNamed<QPushButton>(parent, button)->click();
}

void WindowDriver::chooseFolder(const QString& path) {
    click(window_.get(), "Command2");
    QWidget* dialog = folderWindow();
    childNamed<QLineEdit>(dialog, "Text1")->setText(path);
    click(dialog, "OKButton");
}

void WindowDriver::getNames() {
    click(window_.get(), "Command6");
}

void WindowDriver::createDirectory() {
    click(window_.get(), "Command3");
}

void WindowDriver::moveMiddleRowDown() {
    auto* titles = childNamed<QAbstractItemView>(window_.get(), "List1");
    titles->setCurrentIndex(titles->model()->index(titles->model()->rowCount() / 2, 0));
    click(window_.get(), "Command5");
}

int WindowDriver::fileRows() const {
    return childNamed<QAbstractItemView>(window_.get(), "List2")->model()->rowCount();
}
