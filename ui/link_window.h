#pragma once

#include "kermit/kermit_server.h"

#include <QWidget>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QThread;
class QTreeWidget;
class QTreeWidgetItem;

namespace quillmere {

// "Calculator link": serves the main window's folder to a calculator on a
// serial line, off the window's thread, showing each transfer as it ends.
class LinkWindow : public QWidget {
    Q_OBJECT

public:
    // directorySays tells whether the directory on disk lists the folder as
    // the main window does; writeDirectory writes it as "Create DIR" does,
    // true when it did; filesChanged lists the folder anew after a file came in.
    LinkWindow(QWidget* parent, std::function<bool()> directorySays, std::function<bool()> writeDirectory,
               std::function<void()> filesChanged);
    ~LinkWindow() override;

    // Shows the window, on folder unless it is serving one already.
    void open(const QString& folder);
    // The main window's folder, served from the next Start on.
    void setFolder(const QString& folder);

    // Lists the serial devices present again, keeping the one chosen.
    void refreshDevices();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void start();
    void stop();
    void finish();
    void showStart(const QString& name);
    void showProgress(long long bytesSent);
    void showTransfer(const kermit::Transfer& transfer);
    void showReceived(const kermit::Receipt& receipt);
    void showEnd(const QString& failure);
    void showServing(bool serving);

    class Relay;

    std::function<bool()> directorySays_;
    std::function<bool()> writeDirectory_;
    std::function<void()> filesChanged_;
    QListWidget* devices_;
    QComboBox* speed_;
    QLineEdit* folder_;
    QCheckBox* receive_;
    QPushButton* start_;
    QPushButton* stop_;
    QTreeWidget* transfers_;
    QLabel* status_;
    // The row of the file going out, with its progress bar.
    QTreeWidgetItem* sending_ = nullptr;
    std::unique_ptr<kermit::Server> server_;
    QThread* serving_ = nullptr;
};

}  // namespace quillmere
