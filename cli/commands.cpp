#include "cli/commands.h"

#include "core/bounded_file.h"
#include "core/catalogue.h"
#include "core/catalogue_error.h"
#include "core/catalogue_observer.h"
#include "core/directory_files.h"
#include "core/folder.h"
#include "core/header.h"
#include "core/header_file.h"
#include "kermit/kermit_server.h"

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
            throw CatalogueError("\"" + name + "\" in \"" + *options.orderFile +
                                 "\" is not a calculator file of \"" + options.folder + "\".");
        }
        if (!seen.insert(name).second) {
            throw CatalogueError("\"" + name + "\" stands twice in \"" + *options.orderFile + "\".");
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

}  // namespace

int writeDirectory(const Options& options, std::ostream& out, std::ostream& err, bool showProgress) {
    Catalogue catalogue = catalogueFor(options);
    {
        TerminalProgress progress(err);
        if (showProgress) {
            catalogue.setObserver(&progress);
        }
        catalogue.createDirectory();
        catalogue.setObserver(nullptr);
    }
    const int count = catalogue.order().fileCount();
    out << "Wrote " << count << (count == 1 ? " entry" : " entries") << " to "
        << joinPath(options.folder, std::string(kDirectoryFileName)) << ".\n";
    return 0;
}

int printEntries(const Options& options, std::ostream& out) {
    Catalogue catalogue = catalogueFor(options);
    catalogue.readEntriesLastRowFirst([&out](const std::string& fileName, const FileEntry& entry) {
        out << entry.typeLetter << '\t' << fileName << '\t' << entryTitle(entry.typeLetter, entry.title)
            << '\n';
    });
    return 0;
}

int serveFolder(const Options& options, std::ostream& out, std::ostream& err, bool showProgress) {
    writeDirectory(options, out, err, showProgress);
    // The calculator may ask at once: say what was written before serving.
    out << std::flush;
    kermit::serveFolder(
        {options.device, options.speed, options.folder}, [&](const kermit::Transfer& transfer) {
            if (transfer.sent) {
                out << "Sent " << transfer.name << " (" << transfer.bytes << " bytes)" << std::endl;
            } else {
                err << "quillmere-dir: Refused \"" << transfer.name << "\": it is not a file of \""
                    << options.folder << "\"." << std::endl;
            }
        });
    return 0;
}

}  // namespace quillmere::cli
