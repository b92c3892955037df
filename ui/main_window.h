#pragma once

#include "core/catalogue.h"
#include "core/catalogue_observer.h"
#include "ui/answering_reader.h"
#include "ui/folder_window_host.h"
#include "ui/list_mirror.h"
#include "ui/main_window_controls.h"
#include "ui/progress_display.h"

#include <QElapsedTimer>
#include <QWidget>

#include <optional>

namespace quillmere {

class Dialog;
class LinkWindow;

// The main window, "Quillmere": the folder, the order of preference and the
// buttons that start every action. It owns the catalogue and mirrors it.
class Form1 : public QWidget, public FolderWindowHost, private CatalogueObserver {
    Q_OBJECT

public:
    // Starts on folder when one is given, otherwise on the start folder.
    explicit Form1(const std::optional<std::string>& folder = std::nullopt);

    FolderWindowMode erm() const override;

    // The header line, title and directory entry read or built last.
    QString Text3() const;
    QString Text4() const;
    QString stringg() const;

    // Shows the folder window, creating it when there is none.
    void ChangeFolder();
    // Shows the "Calculator link" window on the folder, creating it when
    // there is none.
    void SendToCalculator();
    // Ends the program at once: nothing more runs, nothing is written.
    void ExitProgram();

    void takeFolder(const std::string& folder) override;
    std::vector<std::string> subfoldersOf(const std::string& folder) override;
    void setStatus(const QString& text) override;
    void folderWindowCancelled() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void showFileCount();
    void Label1_Change();
    void Command3_Click();
    void Command6_Click();
    void Command1_Click();
    void Command5_Click();
    void reportMove(MoveResult result);
    void paintBuildIfDue();

    void listReset(ListId list) override;
    void rowsSwapped(ListId list, int rowA, int rowB) override;
    void selectionChanged(ListId list, int row) override;
    void titleListShownChanged(bool shown) override;
    void statusChanged(const std::string& status) override;
    void progressChanged(int done, int total) override;

    Catalogue catalogue_;
    Form1Controls controls_;
    AnsweringReader reader_;
    ListMirror lists_;
    ProgressDisplay progressDisplay_;
    Dialog* dialog_ = nullptr;
    LinkWindow* link_ = nullptr;
    FolderWindowMode erm_ = FolderWindowMode::Unset;
    bool building_ = false;
    QElapsedTimer paintClock_;
};

}  // namespace quillmere
