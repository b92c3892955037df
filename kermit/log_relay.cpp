#include "kermit/log_relay.h"

#include "kermit/received_file.h"

#include <filesystem>
#include <system_error>

namespace quillmere::kermit {
namespace {

// Each ended line of text, in order; what follows the last line end stays.
template <typename Tell>
void eachLine(std::string& text, std::string_view more, Tell tell) {
    text += more;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        tell(std::string_view(text).substr(start, end - start));
    }
    text.erase(0, start);
}

}  // namespace

LogRelay::LogRelay(std::string folder, ServeObserver& observer)
    : folder_(std::move(folder)), observer_(observer) {}

void LogRelay::relay(std::string_view transactions, std::string_view packets) {
    eachLine(pendingPackets_, packets, [this](std::string_view line) {
        if (const std::optional<Transfer> transfer = packetLog_.read(line)) {
            tell(*transfer);
        }
    });
    eachLine(pendingTransactions_, transactions, [this](std::string_view line) {
        if (const std::optional<Transfer> transfer = parseTransaction(line)) {
            tell(*transfer);
        }
    });
}

void LogRelay::tell(const Transfer& transfer) {
    using Outcome = Transfer::Outcome;
    if (transfer.outcome == Outcome::Started) {
        observer_.started(transfer.name);
    } else if (transfer.outcome == Outcome::Sending) {
        observer_.progressed(transfer.name, transfer.bytes);
    } else if (transfer.outcome == Outcome::Arriving) {
        observer_.arriving(transfer.name, transfer.bytes);
    } else if (transfer.outcome == Outcome::Receiving) {
        sentNames_[transfer.storedAs] = transfer.name;
    } else if (transfer.outcome == Outcome::Received) {
        const auto sent = sentNames_.find(transfer.name);
        takeUpload(sent != sentNames_.end() ? sent->second : transfer.name, transfer.name);
        if (sent != sentNames_.end()) {
            sentNames_.erase(sent);
        }
    } else {
        observer_.transferred(transfer);
    }
}

// A file the client sent that arrived whole, kept in the folder only under
// a name that may be stored there.
void LogRelay::takeUpload(const std::string& sentName, const std::string& stagedName) {
    std::string refusal = refusalOf(sentName);
    if (refusal.empty()) {
        try {
            observer_.received(takeIn(folder_, stagedName, sentName));
            return;
        } catch (const CatalogueError& error) {
            refusal = error.what();
            refusal.pop_back();
        }
    }
    std::error_code ignored;
    std::filesystem::remove(std::filesystem::path(folder_) / kReceivingFolder / stagedName, ignored);
    observer_.transferred({Transfer::Outcome::Refused, sentName, -1, refusal, {}});
}

}  // namespace quillmere::kermit
