#include "ui/main_window.h"

#include "core/catalogue_error.h"
#include "core/directory_files.h"
#include "core/folder.h"
#include "ui/accessibility.h"
#include "ui/arrow_button.h"
#include "ui/control_names.h"
#include "ui/counter_label.h"
#include "ui/failure_message.h"
#include "ui/file_box.h"
#include "ui/folder_window.h"
#include "ui/layout_font.h"
#include "ui/link_window.h"
#include "ui/local_text.h"
#include "ui/shown_text.h"
#include "ui/twips.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>

#include <string_view>

namespace quillmere {
namespace {

// A build repaints its progress about thirty times a second: often enough to
// look smooth, rarely enough to cost nothing on a folder of 100,000 files.
constexpr qint64 kBuildPaintIntervalMs = 33;

Sentence silentFolder(const std::string& folder) {
    return Sentence("Cannot list the folder ").name(folder).words(": it does not answer.");
}

}  // namespace

Form1::Form1(const std::optional<std::string>& folder)
    : catalogue_(folder.value_or(defaultFolder())),
      controls_(createForm1Controls(*this, catalogue_)),
      reader_(*controls_.Command4, [this] { progressDisplay_.paint(); }),
      lists_(catalogue_.order(), *controls_.List2, *controls_.List1),
      progressDisplay_(*controls_.status, *controls_.Shape1, *controls_.progress, *controls_.Label3) {
    setObjectName(QLatin1String(form1_names::Form1));
    setWindowTitle(tr("Quillmere"));
    useLayoutFont(*this);
    resize(pixelsFromTwips(4575), pixelsFromTwips(5175));
    catalogue_.setObserver(this);
    catalogue_.setHeadReader([this](const std::string& path, const std::string& fileName) {
        return reader_.read(path, fileName);
    });
    catalogue_.setFolderLister([this](const std::string& folder) {
        return reader_.answer([folder] { return listFolder(folder); }, silentFolder(folder));
    });
    describeForm1Controls(controls_);

    connect(controls_.Label1, &CounterLabel::captionChanged, this, &Form1::Label1_Change);
    connect(controls_.Command2, &QPushButton::clicked, this, &Form1::ChangeFolder);
    connect(controls_.Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(controls_.Command4, &QPushButton::clicked, this, &Form1::ExitProgram);
    connect(controls_.Command6, &QPushButton::clicked, this, &Form1::Command6_Click);
    connect(controls_.Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(controls_.Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    // The arrow buttons from the keyboard, wherever the focus is in the window.
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Up), this), &QShortcut::activated, this,
            &Form1::Command1_Click);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Down), this), &QShortcut::activated, this,
            &Form1::Command5_Click);
    // A menu of its own, so that no control of the window moves for it.
    auto* send = new QAction(tr("Send to calculator…"), this);
    send->setObjectName(QLatin1String(link_names::sendToCalculator));
    send->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    send->setShortcutVisibleInContextMenu(true);
    connect(send, &QAction::triggered, this, &Form1::SendToCalculator);
    for (QWidget* menuHolder : {static_cast<QWidget*>(this), static_cast<QWidget*>(controls_.List2),
                                static_cast<QWidget*>(controls_.List1)}) {
        menuHolder->addAction(send);
        menuHolder->setContextMenuPolicy(Qt::ActionsContextMenu);
    }

    Form_Load();
}

FolderWindowMode Form1::erm() const {
    return erm_;
}

QString Form1::Text3() const {
    return fromLocal(catalogue_.lastHeaderLine());
}

QString Form1::Text4() const {
    return fromLocal(catalogue_.lastTitle());
}

QString Form1::stringg() const {
    return fromLocal(catalogue_.lastEntry());
}

void Form1::ChangeFolder() {
    if (!dialog_) {
        dialog_ = new Dialog(*this, *this);
        connect(dialog_, &Dialog::unloaded, this, [this] { dialog_ = nullptr; });
    }
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
    erm_ = FolderWindowMode::ChangingFolder;
    setStatus(tr("Changing folder"));
    catalogue_.order().setTitleListShown(false);
}

void Form1::SendToCalculator() {
    if (!link_) {
        link_ = new LinkWindow(
            this,
            [this] {
                // A copy: a look must not move the window's selection, status or progress.
                Catalogue look = catalogue_;
                look.setObserver(nullptr);
                try {
                    look.buildDirectoryText();
                } catch (const CatalogueError&) {
                    return false;
                }
                return directoryFilesSay(look.folderPath(), look.directoryText());
            },
            [this] {
                Command3_Click();
                return directoryFilesSay(catalogue_.folderPath(), catalogue_.directoryText());
            },
            [this] {
                try {
                    takeFolder(catalogue_.folderPath());
                } catch (const ReadAbandoned&) {
                    // The program ended: nothing more is told.
                } catch (const CatalogueError& error) {
                    showFailure(this, error);
                }
            });
    }
    link_->open(catalogue_.folderPath());
}

void Form1::ExitProgram() {
    QCoreApplication::exit(0);
}

void Form1::takeFolder(const std::string& folder) {
    controls_.File1->bind(folder);
    controls_.Text2->setText(shownPath(folder));
    if (link_) {
        link_->setFolder(folder);
    }
    showFileCount();
    controls_.Label1->increment();
}

std::vector<std::string> Form1::subfoldersOf(const std::string& folder) {
    return reader_.answer([folder] { return listSubfolders(folder); }, silentFolder(folder));
}

void Form1::setStatus(const QString& text) {
    progressDisplay_.setStatus(text);
}

void Form1::folderWindowCancelled() {
    erm_ = FolderWindowMode::Cancelled;
}

// The frame's close control ends the program like "Exit", folder window
// included.
void Form1::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    ExitProgram();
}

// A start folder that cannot be listed stays the folder, shown and named in
// the message, with empty lists: "Create DIR" then writes nowhere else.
void Form1::Form_Load() {
    controls_.Text2->setText(shownPath(catalogue_.folderPath()));
    try {
        controls_.File1->bind(catalogue_.folderPath());
    } catch (const ReadAbandoned&) {
        return;
    } catch (const CatalogueError& error) {
        showFailure(this, error);
        return;
    }
    showFileCount();
    controls_.Label1->increment();
}

void Form1::showFileCount() {
    controls_.Label4->setText(tr("There are %1 files in this folder").arg(controls_.File1->rowCount()));
}

void Form1::Label1_Change() {
    catalogue_.RefreshLists();
}

// The directory build. It returns to the event loop only while a file is
// slow to answer, so its progress is painted from inside it, and the
// directory text reaches textt once, at the end, also when the build stops
// part way.
void Form1::Command3_Click() {
    building_ = true;
    lists_.hold();
    progressDisplay_.hold();
    paintClock_.start();
    std::optional<CatalogueError> failure;
    try {
        catalogue_.createDirectory();
    } catch (const ReadAbandoned&) {
        return;
    } catch (const CatalogueError& error) {
        failure = error;
    }
    building_ = false;
    lists_.release();
    progressDisplay_.release();
    if (failure) {
        showFailure(this, *failure);
    }
}

void Form1::Command6_Click() {
    try {
        catalogue_.GetNames();
    } catch (const ReadAbandoned&) {
        return;
    } catch (const CatalogueError& error) {
        showFailure(this, error);
    }
}

void Form1::Command1_Click() {
    reportMove(catalogue_.order().MoveUp());
}

void Form1::Command5_Click() {
    reportMove(catalogue_.order().MoveDown());
}

void Form1::reportMove(MoveResult result) {
    if (result == MoveResult::NothingSelected) {
        QMessageBox::critical(this, tr("Error"), tr("Please select an item to move"));
    }
}

void Form1::paintBuildIfDue() {
    if (building_ && paintClock_.hasExpired(kBuildPaintIntervalMs)) {
        progressDisplay_.paint();
        paintClock_.restart();
    }
}

void Form1::listReset(ListId list) {
    lists_.reset(list);
}

void Form1::rowsSwapped(ListId list, int rowA, int rowB) {
    lists_.swap(list, rowA, rowB);
}

void Form1::selectionChanged(ListId list, int row) {
    lists_.select(list, row);
}

void Form1::titleListShownChanged(bool shown) {
    lists_.showTitles(shown);
}

// The build's three statuses come from the catalogue in English and are
// translated here, as every other text of the window is.
void Form1::statusChanged(const std::string& status) {
    static constexpr std::string_view adding = "Adding ";
    if (status.compare(0, adding.size(), adding) == 0) {
        progressDisplay_.setStatus(tr("Adding %1").arg(shownText(status.substr(adding.size()))));
    } else {
        progressDisplay_.setStatus(status == "Ready" ? tr("Ready") : tr("Creating DIR file"));
    }
    paintBuildIfDue();
}

void Form1::progressChanged(int done, int total) {
    progressDisplay_.setProgress(done, total);
    paintBuildIfDue();
}

}  // namespace quillmere
