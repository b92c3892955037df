#include "cli/commands.h"

#include "core/bounded_file.h"
#include "core/catalogue_error.h"
#include "core/directory_files.h"
#include "core/directory_reader.h"
#include "core/folder.h"
#include "core/folder_boundary.h"
#include "core/header.h"
#include "core/header_file.h"
#include "core/shown_bytes.h"

#include <cstdio>
#include <filesystem>
#include <set>
#include <vector>

namespace quillmere::cli {
namespace {

// A type letter or a name as a reader can see it, even a NUL or a blank.
std::string shown(const std::string& text) {
    std::string shown = "\"";
    for (const unsigned char c : text) {
        if (c > ' ' && c < 0x7f) {
            shown += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            shown += escaped;
        }
    }
    return shown + "\"";
}

}  // namespace

int checkDirectory(const Options& options, std::ostream& out) {
    const std::string path = joinPath(options.folder, std::string(kDirectoryFileName));
    const DirectoryContents contents = readDirectory(readWholeFile(path, "Cannot read \"" + path + "\""));
    std::vector<Sentence> problems;
    std::set<std::string> listed;
    for (std::size_t i = 0; i < contents.records.size(); ++i) {
        const DirectoryRecord& record = contents.records[i];
        const std::string& name = record.fileName;
        const std::string at =
            "entry " + std::to_string(i + 1) + " at offset " + std::to_string(record.offset) + ": ";
        if (!listed.insert(name).second) {
            problems.push_back(Sentence(at).name(name).words(" is listed twice"));
            continue;
        }
        if (name.find('\0') != std::string::npos) {
            problems.push_back(Sentence(at + shown(name) + " holds a byte no file name can hold"));
            continue;
        }
        if (name.find_first_of("/\\") != std::string::npos || name == "..") {
            problems.push_back(Sentence(at).name(name).words(" names a file outside the folder"));
            continue;
        }
        if (isDirectoryFileName(name)) {
            problems.push_back(Sentence(at).name(name).words(" is a directory file, not a calculator file"));
            continue;
        }
        const std::string filePath = joinPath(options.folder, name);
        std::error_code ignored;
        if (!std::filesystem::exists(std::filesystem::path(filePath), ignored)) {
            problems.push_back(Sentence(at).name(name).words(" does not exist"));
            continue;
        }
        if (!staysInsideFolder(options.folder, filePath)) {
            problems.push_back(Sentence(at)
                                   .name(name)
                                   .words(" is a link to ")
                                   .name(followLinks(filePath))
                                   .words(", outside the folder, which a calculator cannot fetch"));
            continue;
        }
        try {
            std::string headerLine;
            const FileEntry entry = readFileEntry(filePath, name, headerLine);
            if (record.typeLetter != entry.typeLetter) {
                problems.push_back(Sentence(at + "the type letter of ")
                                       .name(name)
                                       .words(" is " + shown(record.typeLetter) + " but the file gives " +
                                              shown(entry.typeLetter)));
            }
            const std::string_view title = entryTitle(entry.typeLetter, entry.title);
            if (title != record.title) {
                problems.push_back(Sentence(at + "the title of ")
                                       .name(name)
                                       .words(" is ")
                                       .name(record.title)
                                       .words(" but the file holds ")
                                       .name(title));
            }
        } catch (const CatalogueError& error) {
            problems.push_back(Sentence(at).append(error.sentence()));
        }
    }
    if (contents.fault) {
        problems.push_back((contents.fault->offset == 0
                                ? std::string()
                                : "entry " + std::to_string(contents.records.size() + 1) + " at ") +
                           "offset " + std::to_string(contents.fault->offset) + ": " + contents.fault->cause);
    }
    for (const std::string& name : listCalculatorFiles(options.folder)) {
        if (listed.count(name) == 0) {
            problems.push_back(Sentence("").name(name).words(" is not listed"));
        }
    }
    const std::string currentPath = joinPath(options.folder, std::string(kCurrentFileName));
    try {
        if (readWholeFile(currentPath, "Cannot read \"" + currentPath + "\"") != kCurrentFileContent) {
            problems.push_back(
                Sentence("")
                    .name(kCurrentFileName)
                    .words(" is not the " + std::to_string(kCurrentFileContent.size()) + " bytes ")
                    .name(kCurrentFileContent));
        }
    } catch (const CatalogueError& error) {
        problems.push_back(error.sentence());
    }
    // Names and titles come from the directory's bytes: none may act on the terminal.
    for (const Sentence& problem : problems) {
        out << terminalSentence(problem) << '\n';
    }
    if (problems.empty()) {
        const std::size_t count = contents.records.size();
        out << terminalWords(path) << " is sound: " << count << (count == 1 ? " entry.\n" : " entries.\n");
    }
    return problems.empty() ? 0 : 1;
}

}  // namespace quillmere::cli
