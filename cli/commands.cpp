#include "cli/commands.h"

#include "core/bounded_file.h"
#include "core/catalogue.h"
#include "core/catalogue_error.h"
#include "core/catalogue_observer.h"
#include "core/directory_files.h"
#include "core/folder.h"
#include "core/header.h"
#include "core/header_file.h"
#include "core/shown_bytes.h"
#include "kermit/kermit_server.h"
#include "kermit/serial_devices.h"

#include <set>
#include <sstream>

namespace quillmere::cli {
namespace {

std::vector<std::string> readOrderFile(const std::string& path) {
    std::istringstream in(readWholeFile(path, "Cannot read the order file \"" + path + "\""));
    std::vector<std::string> names;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty()) {
            names.push_back(line);
        }
    }
    return names;
}

// The folder's files in the order the directory will list them, top row
// first, as the window has them right after the folder is chosen: the
// order its directory keeps, unless the call names another.
Catalogue catalogueFor(const Options& options) {
    Catalogue catalogue(options.folder);
    catalogue.bindFolder(options.folder);
    catalogue.RefreshLists();
    if (options.listingOrder) {
        catalogue.order().replaceFiles(catalogue.folderListing());
    }
    if (!options.orderFile) {
        return catalogue;
    }
    std::vector<std::string> order = readOrderFile(*options.orderFile);
    const std::set<std::string> listed(catalogue.folderListing().begin(), catalogue.folderListing().end());
    std::set<std::string> seen;
    for (const std::string& name : order) {
        if (listed.count(name) == 0) {
            throw CatalogueError(Sentence("")
                                     .name(name)
                                     .words(" in ")
                                     .name(*options.orderFile)
                                     .words(" is not a calculator file of ")
                                     .name(options.folder)
                                     .words("."));
        }
        if (!seen.insert(name).second) {
            throw CatalogueError(
                Sentence("").name(name).words(" stands twice in ").name(*options.orderFile).words("."));
        }
    }
    catalogue.order().replaceFiles(std::move(order));
    return catalogue;
}

// Shows the percentage on a terminal, once per whole percent.
class TerminalProgress : public CatalogueObserver {
public:
    explicit TerminalProgress(std::ostream& err) : err_(err) {}
    ~TerminalProgress() override {
        if (shown_) {
            err_ << '\n';
        }
    }
    void progressChanged(int done, int total) override {
        const long long whole = 100LL * done / total;
        if (whole != lastWhole_) {
            lastWhole_ = whole;
            shown_ = true;
            err_ << "\rWriting entries: " << whole << '%' << std::flush;
        }
    }

private:
    std::ostream& err_;
    long long lastWhole_ = -1;
    bool shown_ = false;
};

// Runs step on the catalogue with the percentage on the terminal when asked.
template <typename Step>
void withProgress(Catalogue& catalogue, std::ostream& err, bool showProgress, Step step) {
    TerminalProgress progress(err);
    if (showProgress) {
        catalogue.setObserver(&progress);
    }
    step();
    catalogue.setObserver(nullptr);
}

// Each transfer a line as it happens: sent files on out, the rest on err.
// Names come from the folder and from whoever is on the line: nothing in
// them may act on the terminal.
class ServeReport : public kermit::ServeObserver {
public:
    ServeReport(const std::string& folder, std::ostream& out, std::ostream& err)
        : folder_(folder), out_(out), err_(err) {}
    void transferred(const kermit::Transfer& transfer) override {
        using Outcome = kermit::Transfer::Outcome;
        if (transfer.outcome == Outcome::Sent) {
            say(out_, "Sent " + transfer.name + " (" + std::to_string(transfer.bytes) + " bytes)");
            return;
        }
        Sentence line("quillmere-dir: ");
        if (transfer.outcome == Outcome::Missing) {
            line.words("Refused ")
                .name(transfer.name)
                .words(": it is not a file of ")
                .name(folder_)
                .words(".");
        } else if (transfer.outcome == Outcome::Failed) {
            line.words("Could not send ").name(transfer.name).words(": " + transfer.reason + ".");
        } else if (transfer.outcome == Outcome::NotReceived) {
            line.words("Nothing kept of ")
                .name(transfer.name)
                .words(" from the calculator: " + transfer.reason + ".");
        } else if (!transfer.name.empty()) {
            line.words("Refused ")
                .name(transfer.name)
                .words(" from the calculator: " + transfer.reason + ".");
        } else {
            line.words("Refused a request: " + transfer.reason + ".");
        }
        err_ << terminalSentence(line) << std::endl;
    }
    void received(const kermit::Receipt& receipt) override {
        say(out_,
            "Received " + receipt.name + " (" + std::to_string(receipt.bytes) + " bytes)" +
                (receipt.keptEarlier.empty() ? "" : "; the earlier one is kept as " + receipt.keptEarlier));
        if (receipt.directoryFailure) {
            err_ << "quillmere-dir: " << terminalSentence(*receipt.directoryFailure) << std::endl;
        }
    }
    void ended(const std::optional<Sentence>& failure) override { this->failure = failure; }

    std::optional<Sentence> failure;

private:
    static void say(std::ostream& to, const std::string& line) { to << terminalWords(line) << std::endl; }

    const std::string& folder_;
    std::ostream& out_;
    std::ostream& err_;
};

std::string entriesText(const Catalogue& catalogue) {
    const int count = catalogue.order().fileCount();
    return std::to_string(count) + (count == 1 ? " entry" : " entries");
}

}  // namespace

int writeDirectory(const Options& options, std::ostream& out, std::ostream& err, bool showProgress) {
    Catalogue catalogue = catalogueFor(options);
    withProgress(catalogue, err, showProgress, [&] { catalogue.createDirectory(); });
    out << "Wrote " << entriesText(catalogue) << " to "
        << terminalWords(joinPath(options.folder, std::string(kDirectoryFileName))) << ".\n";
    return 0;
}

int printEntries(const Options& options, std::ostream& out) {
    Catalogue catalogue = catalogueFor(options);
    catalogue.readEntriesLastRowFirst([&out](const std::string& fileName, const FileEntry& entry) {
        // A tab or a line end inside a field would start another.
        out << terminalWords(entry.typeLetter) << '\t' << terminalWords(fileName) << '\t'
            << terminalWords(entryTitle(entry.typeLetter, entry.title)) << '\n';
    });
    return 0;
}

int serveFolder(const Options& options, std::ostream& out, std::ostream& err, bool showProgress) {
    // The line first: while it cannot be had, nothing is written.
    const std::string device =
        options.device.empty() ? kermit::onlySerialDevice(kermit::listSerialDevices()) : options.device;
    kermit::Server server({device, options.speed, options.folder, options.receive});
    Catalogue catalogue = catalogueFor(options);
    for (const std::string& name : catalogue.order().files()) {
        // Kermit takes a blank in a requested name as the end of that name.
        if (name.find(' ') != std::string::npos) {
            err << terminalSentence(Sentence("quillmere-dir: ")
                                        .name(name)
                                        .words(" has a blank in its name, so the calculator cannot fetch "
                                               "it: rename it to serve it."))
                << std::endl;
        }
    }
    withProgress(catalogue, err, showProgress, [&] { catalogue.buildDirectoryText(); });
    const std::string directory = joinPath(options.folder, std::string(kDirectoryFileName));
    // A directory that already says this is served as it is, untouched.
    if (directoryFilesSay(options.folder, catalogue.directoryText())) {
        out << std::string(kDirectoryFileName) << " already lists the " << entriesText(catalogue)
            << "; serving it as it is.\n";
    } else {
        catalogue.FinallyCreateDIR();
        out << "Wrote " << entriesText(catalogue) << " to " << terminalWords(directory) << ".\n";
    }
    // The calculator may ask at once: say what was written before serving.
    out << std::flush;
    ServeReport report(options.folder, out, err);
    server.serve(report);
    if (report.failure) {
        throw CatalogueError(*report.failure);
    }
    return 0;
}

}  // namespace quillmere::cli
