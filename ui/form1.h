#pragma once

#include "catalogue.h"
#include "catalogue_observer.h"
#include "form1_controls.h"
#include "list_mirror.h"
#include "progress_display.h"

#include <QElapsedTimer>
#include <QWidget>

#include <optional>

namespace quillmere {

class Dialog;

// The main window, "Quillmere": the folder, the order of preference and the
// buttons that start every action. It owns the catalogue and mirrors it.
class Form1 : public QWidget, private CatalogueObserver {
    Q_OBJECT

public:
    Form1();

    // The folder window's mode flag: unset until the first "Change", 2 once
    // the window was opened to change the folder, 0 after its Cancel.
    std::optional<int> erm;

    // The header line, title and directory entry read or built last.
    QString Text3() const;
    QString Text4() const;
    QString stringg() const;

    // Shows the folder window, creating it when there is none.
    void ChangeFolder();
    // Ends the program at once: nothing more runs, nothing is written.
    void ExitProgram();

    // Binds the folder fileName, shows its path and file count, and
    // refreshes the lists. Throws CatalogueError, changing nothing, when the
    // folder cannot be listed.
    void takeFolder(const QString& path, const std::string& fileName);
    void setStatus(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
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
    ListMirror lists_;
    ProgressDisplay progressDisplay_;
    Dialog* dialog_ = nullptr;
    bool building_ = false;
    QElapsedTimer paintClock_;
};

}  // namespace quillmere
