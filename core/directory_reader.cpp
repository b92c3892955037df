#include "core/directory_reader.h"

#include "core/directory_files.h"

namespace quillmere {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads one entry at the cursor, or says what is wrong with it.
class EntryCursor {
public:
    EntryCursor(std::string_view bytes, std::size_t offset) : bytes_(bytes), at_(offset) {}

    std::optional<DirectoryRecord> read(DirectoryFault& fault) {
        DirectoryRecord record{at_, {}, {}, {}};
        // An entry of an empty header line has no type letter at all.
        if (!(peek(0) == ' ' && isDigit(peek(1)))) {
            record.typeLetter = std::string(bytes_.substr(at_, 1));
            ++at_;
        }
        if (!expectBlank(fault, "a blank after the type letter") ||
            !readCounted(record.fileName, fault, "file name") || !readCounted(record.title, fault, "title")) {
            return std::nullopt;
        }
        return record;
    }

    std::size_t offset() const { return at_; }

private:
    char peek(std::size_t ahead) const { return at_ + ahead < bytes_.size() ? bytes_[at_ + ahead] : '\0'; }

    bool failAt(DirectoryFault& fault, const std::string& cause) {
        fault = {at_, cause};
        return false;
    }

    bool expectBlank(DirectoryFault& fault, const char* what) {
        if (at_ >= bytes_.size()) {
            return failAt(fault, std::string("the entry is cut short before ") + what);
        }
        if (bytes_[at_] != ' ') {
            return failAt(fault, std::string("expected ") + what);
        }
        ++at_;
        return true;
    }

    // A decimal length, a blank, then that many bytes.
    bool readCounted(std::string& field, DirectoryFault& fault, const std::string& what) {
        std::size_t length = 0;
        const std::size_t start = at_;
        while (at_ < bytes_.size() && isDigit(bytes_[at_]) && at_ - start < 9) {
            length = length * 10 + static_cast<std::size_t>(bytes_[at_] - '0');
            ++at_;
        }
        if (at_ == start) {
            return at_ >= bytes_.size()
                       ? failAt(fault, "the entry is cut short before the length of its " + what)
                       : failAt(fault, "expected the length of the " + what);
        }
        if (!expectBlank(fault, ("a blank after the length of the " + what).c_str())) {
            return false;
        }
        if (bytes_.size() - at_ < length) {
            return failAt(fault, "the " + what + " is cut short: " + std::to_string(length) +
                                     " bytes announced, " + std::to_string(bytes_.size() - at_) + " left");
        }
        field = std::string(bytes_.substr(at_, length));
        at_ += length;
        return true;
    }

    std::string_view bytes_;
    std::size_t at_;
};

}  // namespace

DirectoryContents readDirectory(std::string_view bytes) {
    DirectoryContents contents;
    if (bytes.substr(0, kDirectoryHeader.size()) != kDirectoryHeader) {
        contents.fault = DirectoryFault{0, "the file does not begin with \"HP39AscA\""};
        return contents;
    }
    EntryCursor cursor(bytes, kDirectoryHeader.size());
    while (cursor.offset() < bytes.size()) {
        DirectoryFault fault;
        std::optional<DirectoryRecord> record = cursor.read(fault);
        if (!record) {
            contents.fault = fault;
            break;
        }
        contents.records.push_back(std::move(*record));
    }
    return contents;
}

}  // namespace quillmere
