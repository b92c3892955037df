#include "kermit/transaction_log.h"

#include <charconv>

namespace quillmere::kermit {

std::optional<Transfer> parseTransaction(std::string_view line) {
    // The name may hold commas; the other fields do not, and the message is
    // quoted: three fields before the name, three after it and the message.
    const std::size_t message = line.rfind(",\"");
    if (message == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view rest = line.substr(0, message);
    std::string_view before[3];
    for (std::string_view& field : before) {
        const std::size_t comma = rest.find(',');
        if (comma == std::string_view::npos) {
            return std::nullopt;
        }
        field = rest.substr(0, comma);
        rest.remove_prefix(comma + 1);
    }
    std::string_view after[3];
    for (int i = 2; i >= 0; --i) {
        const std::size_t comma = rest.rfind(',');
        if (comma == std::string_view::npos) {
            return std::nullopt;
        }
        after[i] = rest.substr(comma + 1);
        rest = rest.substr(0, comma);
    }
    const std::string_view direction = before[2];
    if (direction != "SEND" && direction != "RECV") {
        return std::nullopt;
    }
    Transfer transfer;
    transfer.sent = direction == "SEND" && after[2] == "OK";
    const std::size_t folder = rest.find_last_of("/\\");
    transfer.name =
        std::string(transfer.sent && folder != std::string_view::npos ? rest.substr(folder + 1) : rest);
    std::from_chars(after[0].data(), after[0].data() + after[0].size(), transfer.bytes);
    return transfer;
}

}  // namespace quillmere::kermit
