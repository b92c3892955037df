#pragma once

#include "core/catalogue_error.h"
#include "kermit/kermit_server.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>

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
    void open(const std::string& folder);
    // The main window's folder, served from the next Start on.
    void setFolder(const std::string& folder);

    // Lists the serial devices present again, keeping the one chosen.
    void refreshDevices();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void start();
    void stop();
    void finish();
    void showFolder(const std::string& folder);
    void showStart(const std::string& name);
    void showProgress(long long bytesSent);
    void showTransfer(const kermit::Transfer& transfer);
    void showArriving(const std::string& name, long long bytesReceived);
    // The row of the file that was arriving under name, now ended, or a new one.
    QTreeWidgetItem* arrivedRow(const std::string& name);
    void showReceived(const kermit::Receipt& receipt);
    void showEnd(const std::optional<Sentence>& failure);
    void showServing(bool serving);

    class Relay;

    std::function<bool()> directorySays_;
    std::function<bool()> writeDirectory_;
    std::function<void()> filesChanged_;
    QListWidget* devices_;
    QComboBox* speed_;
    QLineEdit* folder_;
    // The folder folder_ shows, as the system names it: the one Start serves.
    std::string servedFolder_;
    // The main window's folder, which folder_ shows unless another is being served.
    std::string mainFolder_;
    QCheckBox* receive_;
    QPushButton* start_;
    QPushButton* stop_;
    QTreeWidget* transfers_;
    QLabel* status_;
    // The row of the file going out, with its progress bar.
    QTreeWidgetItem* sending_ = nullptr;
    // The row of the file coming in, with its bytes so far.
    QTreeWidgetItem* arriving_ = nullptr;
    std::unique_ptr<kermit::Server> server_;
    QThread* serving_ = nullptr;
};

}  // namespace quillmere
