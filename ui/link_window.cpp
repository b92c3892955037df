#include "ui/link_window.h"

#include "core/folder.h"
#include "kermit/serial_devices.h"
#include "ui/control_names.h"
#include "ui/shown_text.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <filesystem>

namespace quillmere {
namespace {

namespace names = link_names;

// Often enough to notice a cable plugged in while the user looks.
constexpr int kDeviceCheckMs = 2000;
constexpr int kSpeeds[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
constexpr int kDefaultSpeed = 9600;

template <typename Control>
Control* named(Control* control, const char* name, const QString& accessibleName) {
    control->setObjectName(QLatin1String(name));
    control->setAccessibleName(accessibleName);
    return control;
}

}  // namespace

// Hands the serving thread's events to the window's thread; those queued
// for a window gone are dropped with it.
class LinkWindow::Relay : public kermit::ServeObserver {
public:
    explicit Relay(LinkWindow* window) : window_(window) {}
    void started(const std::string& name) override {
        QMetaObject::invokeMethod(
            window_, [window = window_, name] { window->showStart(name); }, Qt::QueuedConnection);
    }
    void progressed(const std::string&, long long bytesSent) override {
        QMetaObject::invokeMethod(
            window_, [window = window_, bytesSent] { window->showProgress(bytesSent); },
            Qt::QueuedConnection);
    }
    void arriving(const std::string& name, long long bytesReceived) override {
        QMetaObject::invokeMethod(
            window_, [window = window_, name, bytesReceived] { window->showArriving(name, bytesReceived); },
            Qt::QueuedConnection);
    }
    void transferred(const kermit::Transfer& transfer) override {
        QMetaObject::invokeMethod(
            window_, [window = window_, transfer] { window->showTransfer(transfer); }, Qt::QueuedConnection);
    }
    void received(const kermit::Receipt& receipt) override {
        QMetaObject::invokeMethod(
            window_, [window = window_, receipt] { window->showReceived(receipt); }, Qt::QueuedConnection);
    }
    void ended(const std::optional<Sentence>& failure) override {
        QMetaObject::invokeMethod(
            window_, [window = window_, failure] { window->showEnd(failure); }, Qt::QueuedConnection);
    }

private:
    LinkWindow* window_;
};

LinkWindow::LinkWindow(QWidget* parent, std::function<bool()> directorySays,
                       std::function<bool()> writeDirectory, std::function<void()> filesChanged)
    : QWidget(parent, Qt::Window),
      directorySays_(std::move(directorySays)),
      writeDirectory_(std::move(writeDirectory)),
      filesChanged_(std::move(filesChanged)),
      devices_(named(new QListWidget(this), names::devices, tr("Serial device"))),
      speed_(named(new QComboBox(this), names::speed, tr("Speed"))),
      folder_(named(new QLineEdit(this), names::folder, tr("Folder"))),
      receive_(named(new QCheckBox(tr("Ta&ke files sent from the calculator"), this), names::receive,
                     tr("Take files sent from the calculator"))),
      start_(named(new QPushButton(tr("&Start"), this), names::start, tr("Start"))),
      stop_(named(new QPushButton(tr("S&top"), this), names::stop, tr("Stop"))),
      transfers_(named(new QTreeWidget(this), names::transfers, tr("Transfers"))),
      status_(named(new QLabel(this), names::linkStatus, tr("Status"))) {
    setObjectName(QLatin1String(names::LinkWindow));
    setWindowTitle(tr("Calculator link"));
    auto* refresh = named(new QPushButton(tr("&Refresh"), this), names::refresh, tr("Refresh"));
    for (const int speed : kSpeeds) {
        speed_->addItem(QString::number(speed), speed);
    }
    speed_->setCurrentText(QString::number(kDefaultSpeed));
    // A few devices at most: the room goes to the transfers.
    devices_->setMaximumHeight(devices_->fontMetrics().height() * 6);
    folder_->setReadOnly(true);
    transfers_->setHeaderLabels({tr("File"), tr("Bytes"), tr("Outcome")});
    transfers_->setRootIsDecorated(false);
    transfers_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    status_->setFocusPolicy(Qt::StrongFocus);

    auto* grid = new QGridLayout(this);
    const auto label = [this](const QString& text, QWidget* buddy) {
        auto* caption = new QLabel(text, this);
        caption->setBuddy(buddy);
        return caption;
    };
    grid->addWidget(label(tr("Serial &device:"), devices_), 0, 0, Qt::AlignTop);
    grid->addWidget(devices_, 0, 1);
    grid->addWidget(refresh, 0, 2, Qt::AlignTop);
    grid->addWidget(label(tr("S&peed:"), speed_), 1, 0);
    grid->addWidget(speed_, 1, 1);
    grid->addWidget(label(tr("&Folder:"), folder_), 2, 0);
    grid->addWidget(folder_, 2, 1, 1, 2);
    grid->addWidget(receive_, 3, 1, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(start_);
    buttons->addWidget(stop_);
    buttons->addStretch();
    grid->addLayout(buttons, 4, 0, 1, 3);
    grid->addWidget(label(tr("&Transfers:"), transfers_), 5, 0, 1, 3);
    grid->addWidget(transfers_, 6, 0, 1, 3);
    grid->addWidget(status_, 7, 0, 1, 3);
    grid->setRowStretch(6, 1);

    connect(refresh, &QPushButton::clicked, this, &LinkWindow::refreshDevices);
    connect(start_, &QPushButton::clicked, this, &LinkWindow::start);
    connect(stop_, &QPushButton::clicked, this, &LinkWindow::stop);
    auto* deviceCheck = new QTimer(this);
    connect(deviceCheck, &QTimer::timeout, this, &LinkWindow::refreshDevices);
    deviceCheck->start(kDeviceCheckMs);
    showServing(false);
    status_->setText(tr("Connect the calculator's cable, choose its serial device and press Start."));
}

LinkWindow::~LinkWindow() {
    finish();
}

void LinkWindow::open(const std::string& folder) {
    setFolder(folder);
    refreshDevices();
    show();
    raise();
    activateWindow();
}

void LinkWindow::setFolder(const std::string& folder) {
    mainFolder_ = folder;
    if (!server_) {
        showFolder(folder);
    }
}

void LinkWindow::showFolder(const std::string& folder) {
    servedFolder_ = folder;
    folder_->setText(shownPath(folder));
}

void LinkWindow::refreshDevices() {
    const std::vector<kermit::SerialDevice> present = kermit::listSerialDevices();
    bool same = devices_->count() == static_cast<int>(present.size());
    for (int row = 0; same && row < devices_->count(); ++row) {
        same = devices_->item(row)->data(Qt::UserRole).toByteArray().toStdString() == present[row].path;
    }
    if (same) {
        return;
    }
    const QVariant chosen =
        devices_->currentItem() ? devices_->currentItem()->data(Qt::UserRole) : QVariant();
    devices_->clear();
    for (const kermit::SerialDevice& device : present) {
        // A USB product's name is its maker's to choose.
        const QString path = shownPath(device.path);
        auto* item = new QListWidgetItem(
            device.description.empty() ? path : tr("%1 (%2)").arg(path, shownText(device.description)),
            devices_);
        item->setData(Qt::UserRole, QByteArray::fromStdString(device.path));
        if (item->data(Qt::UserRole) == chosen || present.size() == 1) {
            devices_->setCurrentItem(item);
        }
    }
}

void LinkWindow::closeEvent(QCloseEvent* event) {
    finish();
    QWidget::closeEvent(event);
}

void LinkWindow::start() {
    const QListWidgetItem* device = devices_->currentItem();
    if (!device) {
        status_->setText(
            tr("Choose the calculator's serial device first; if none is listed, plug the cable in "
               "and press Refresh."));
        return;
    }
    if (!directorySays_()) {
        const QMessageBox::StandardButton answer = QMessageBox::question(
            this, tr("Calculator link"),
            tr("HP39DIR.000 does not list the files as the main window shows them. Write it before serving?"),
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
        if (answer == QMessageBox::Cancel || (answer == QMessageBox::Yes && !writeDirectory_())) {
            return;
        }
    }
    try {
        server_ = std::make_unique<kermit::Server>(
            kermit::ServeSettings{device->data(Qt::UserRole).toByteArray().toStdString(),
                                  speed_->currentData().toInt(), servedFolder_, receive_->isChecked()});
    } catch (const CatalogueError& error) {
        status_->setText(shownSentence(error.sentence()));
        return;
    }
    transfers_->clear();
    sending_ = nullptr;
    arriving_ = nullptr;
    serving_ = QThread::create([this] {
        Relay relay(this);
        server_->serve(relay);
    });
    serving_->start();
    showServing(true);
    status_->setText(
        receive_->isChecked()
            ? tr("Serving: on the calculator, choose the folder's files to receive, or send files "
                 "to this folder.")
            : tr("Serving: on the calculator, choose the folder's files to receive."));
}

void LinkWindow::stop() {
    if (server_) {
        server_->stop();
    }
}

// Waits for the serving thread, then lets the line and its lock go.
void LinkWindow::finish() {
    if (serving_) {
        server_->stop();
        serving_->wait();
        delete serving_;
        serving_ = nullptr;
    }
    server_.reset();
}

void LinkWindow::showStart(const std::string& name) {
    sending_ = new QTreeWidgetItem(transfers_, {shownText(name)});
    auto* bar = new QProgressBar;
    bar->setAccessibleName(tr("Bytes sent of %1").arg(shownText(name)));
    bar->setFormat(tr("%v of %m"));
    std::error_code missing;
    const auto size = std::filesystem::file_size(joinPath(servedFolder_, name), missing);
    bar->setMaximum(missing ? 0 : static_cast<int>(size));
    bar->setValue(0);
    transfers_->setItemWidget(sending_, 1, bar);
    transfers_->scrollToItem(sending_);
}

void LinkWindow::showProgress(long long bytesSent) {
    if (auto* bar = sending_ ? static_cast<QProgressBar*>(transfers_->itemWidget(sending_, 1)) : nullptr) {
        bar->setValue(static_cast<int>(std::min<long long>(bytesSent, bar->maximum())));
    }
}

void LinkWindow::showTransfer(const kermit::Transfer& transfer) {
    using Outcome = kermit::Transfer::Outcome;
    const bool ofTheFileGoingOut =
        (transfer.outcome == Outcome::Sent || transfer.outcome == Outcome::Failed) && sending_ &&
        sending_->text(0) == shownText(transfer.name);
    QTreeWidgetItem* row = ofTheFileGoingOut ? sending_ : arrivedRow(transfer.name);
    sending_ = nullptr;
    switch (transfer.outcome) {
    case Outcome::Sent:
        if (auto* bar = static_cast<QProgressBar*>(transfers_->itemWidget(row, 1))) {
            // The bytes sent as the progress counted them, of the size sent.
            bar->setMaximum(static_cast<int>(transfer.bytes));
        }
        row->setText(2, tr("Sent"));
        break;
    case Outcome::Missing:
        row->setText(2, tr("Refused: it is not a file of this folder"));
        break;
    case Outcome::Failed:
        row->setText(2, tr("Not sent: %1").arg(shownText(transfer.reason)));
        break;
    case Outcome::NotReceived:
        row->setText(2, tr("Not received, nothing kept: %1").arg(shownText(transfer.reason)));
        break;
    default:
        row->setText(2, tr("Refused: %1").arg(shownText(transfer.reason)));
        break;
    }
    transfers_->scrollToItem(row);
}

void LinkWindow::showArriving(const std::string& name, long long bytesReceived) {
    // The client announces no size: the bytes so far are what can be shown.
    if (!arriving_ || arriving_->text(0) != shownText(name)) {
        arriving_ = new QTreeWidgetItem(transfers_, {shownText(name), {}, tr("Arriving")});
        transfers_->scrollToItem(arriving_);
    }
    arriving_->setText(1, QString::number(bytesReceived));
}

QTreeWidgetItem* LinkWindow::arrivedRow(const std::string& name) {
    QTreeWidgetItem* row = arriving_ && arriving_->text(0) == shownText(name)
                               ? arriving_
                               : new QTreeWidgetItem(transfers_, {shownText(name)});
    arriving_ = nullptr;
    return row;
}

void LinkWindow::showReceived(const kermit::Receipt& receipt) {
    QTreeWidgetItem* row = arrivedRow(receipt.name);
    row->setText(1, QString::number(receipt.bytes));
    QString outcome =
        receipt.keptEarlier.empty()
            ? tr("Received")
            : tr("Received; the earlier file is kept as %1").arg(shownText(receipt.keptEarlier));
    if (receipt.directoryFailure) {
        outcome += tr("; not listed in HP39DIR.000: %1").arg(shownSentence(*receipt.directoryFailure));
    }
    row->setText(2, outcome);
    transfers_->scrollToItem(row);
    filesChanged_();
}

void LinkWindow::showEnd(const std::optional<Sentence>& failure) {
    finish();
    // A folder chosen meanwhile in the main window is the one the next Start serves.
    showFolder(mainFolder_);
    showServing(false);
    status_->setText(failure ? tr("%1 Serving stopped; the line is free again.").arg(shownSentence(*failure))
                             : tr("Serving ended."));
}

void LinkWindow::showServing(bool serving) {
    start_->setEnabled(!serving);
    stop_->setEnabled(serving);
    devices_->setEnabled(!serving);
    speed_->setEnabled(!serving);
    receive_->setEnabled(!serving);
}

}  // namespace quillmere
