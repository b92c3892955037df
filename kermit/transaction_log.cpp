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
    transfer.outcome = direction == "RECV" ? Transfer::Outcome::Missing
                       : after[2] == "OK"  ? Transfer::Outcome::Sent
                                           : Transfer::Outcome::Failed;
    const std::size_t folder = rest.find_last_of("/\\");
    transfer.name =
        std::string(direction == "SEND" && folder != std::string_view::npos ? rest.substr(folder + 1) : rest);
    std::from_chars(after[0].data(), after[0].data() + after[0].size(), transfer.bytes);
    std::string_view reason = line.substr(message + 2);
    transfer.reason = std::string(reason.substr(0, reason.rfind('"')));
    return transfer;
}

std::optional<Transfer> PacketLog::read(std::string_view line) {
    //   r-00-01-^A* Ctouch XH          a packet received: REMOTE HOST
    //   s-00-01-^A7 EREMOTE HOST disabled>^M   the server's answer
    const std::size_t mark = line.find("-^A");
    if (line.size() < 2 || line[1] != '-' || mark == std::string_view::npos || line.size() < mark + 6) {
        return std::nullopt;
    }
    const std::string_view packet = line.substr(mark + 3);
    const char type = packet[2];
    if (line[0] == 'r') {
        lastReceived_ = type;
        return std::nullopt;
    }
    // A GET's refusal is in the transaction log with its name; one during a
    // send (after an acknowledgement) ends that send, logged there too.
    if (line[0] != 's' || type != 'E' || lastReceived_ == 'R' || lastReceived_ == 'Y' ||
        lastReceived_ == 'N') {
        return std::nullopt;
    }
    // The length character counts what follows it: sequence, type, data and
    // block check, which answers to a request have as one character.
    const std::size_t length = static_cast<unsigned char>(packet[0]) - 32U;
    if (length < 3 || packet.size() < length + 1) {
        return std::nullopt;
    }
    Transfer refused;
    const std::string_view data = packet.substr(3, length - 3);
    for (std::size_t i = 0; i < data.size(); ++i) {
        char c = data[i];
        // The control prefix: "#" then the byte with bit 6 flipped, or "#" itself.
        if (c == '#' && i + 1 < data.size()) {
            c = data[++i];
            c = (c & 0x7F) >= 0x3F && (c & 0x7F) <= 0x5F ? static_cast<char>(c ^ 0x40) : c;
        }
        refused.reason += c;
    }
    return refused;
}

}  // namespace quillmere::kermit
