#include "commands.h"

#include "catalogue.h"
#include "catalogue_error.h"
#include "catalogue_observer.h"
#include "directory_files.h"
#include "directory_reader.h"
#include "folder.h"
#include "header.h"
#include "header_file.h"
#include "kermit_server.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace quillmere::cli {
namespace {

std::vector<std::string> readOrderFile(const std::string& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    if (!in) {
        throw CatalogueError("Cannot read the order file \"" + path + "\".");
    }
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
// first, as the window has them right after the folder is chosen.
Catalogue catalogueFor(const Options& options) {
    Catalogue catalogue(options.folder);
    catalogue.bindFolder(options.folder);
    catalogue.RefreshLists();
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
    void progressChanged(float, const std::string& percentage) override {
        const std::string whole = percentage.substr(0, percentage.find_first_not_of("0123456789"));
        if (whole != lastWhole_) {
            lastWhole_ = whole;
            shown_ = true;
            err_ << "\rWriting entries: " << whole << '%' << std::flush;
        }
    }

private:
    std::ostream& err_;
    std::string lastWhole_;
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
        catalogue.createDirectory({1.0f, "."});
        catalogue.setObserver(nullptr);
    }
    const int count = catalogue.order().fileCount();
    out << "Wrote " << count << (count == 1 ? " entry" : " entries") << " to "
        << joinPath(options.folder, std::string(kDirectoryFileName)) << ".\n";
    return 0;
}

int printEntries(const Options& options, std::ostream& out) {
    Catalogue catalogue = catalogueFor(options);
    const std::vector<std::string> files = catalogue.order().files();
    for (auto name = files.rbegin(); name != files.rend(); ++name) {
        std::string headerLine;
        const ParsedHeader header = readHeader(joinPath(options.folder, *name), *name, headerLine);
        out << header.typeLetter << '\t' << *name << '\t' << entryTitle(header.typeLetter, header.title)
            << '\n';
    }
    return 0;
}

int checkDirectory(const Options& options, std::ostream& out) {
    const std::string path = joinPath(options.folder, std::string(kDirectoryFileName));
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    if (!in) {
        throw CatalogueError("Cannot read \"" + path + "\".");
    }
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const DirectoryContents contents = readDirectory(bytes);
    int problems = 0;
    for (const DirectoryRecord& record : contents.records) {
        const std::string filePath = joinPath(options.folder, record.fileName);
        std::error_code ignored;
        if (!std::filesystem::exists(std::filesystem::path(filePath), ignored)) {
            out << "offset " << record.offset << ": \"" << record.fileName << "\" does not exist\n";
            ++problems;
            continue;
        }
        try {
            std::string headerLine;
            const ParsedHeader header = readHeader(filePath, record.fileName, headerLine);
            const std::string_view title = entryTitle(header.typeLetter, header.title);
            if (title != record.title) {
                out << "offset " << record.offset << ": the title of \"" << record.fileName << "\" is \""
                    << record.title << "\" but the file holds \"" << title << "\"\n";
                ++problems;
            }
        } catch (const CatalogueError& error) {
            out << "offset " << record.offset << ": " << error.what() << '\n';
            ++problems;
        }
    }
    if (contents.fault) {
        out << "offset " << contents.fault->offset << ": " << contents.fault->cause << '\n';
        ++problems;
    }
    if (problems == 0) {
        out << path << " is sound: " << contents.records.size() << " entries.\n";
    }
    return problems == 0 ? 0 : 1;
}

int serveFolder(const Options& options, std::ostream& out, std::ostream& err, bool showProgress) {
    writeDirectory(options, out, err, showProgress);
    out << std::flush;
    kermit::serveFolder({options.device, options.speed, options.folder}, [&](const kermit::Transfer& transfer) {
        if (transfer.sent) {
            out << "Sent " << transfer.name << " (" << transfer.bytes << " bytes)" << std::endl;
        } else {
            err << "quillmere-dir: Refused \"" << transfer.name << "\": it is not a file of \"" << options.folder
                << "\"." << std::endl;
        }
    });
    return 0;
}

}  // namespace quillmere::cli
