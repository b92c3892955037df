#include "kermit/transaction_log.h"

#include <charconv>
#include <utility>

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
    const bool ok = after[2] == "OK";
    transfer.outcome = direction == "SEND" ? (ok ? Transfer::Outcome::Sent : Transfer::Outcome::Failed)
                                           : (ok ? Transfer::Outcome::Received : Transfer::Outcome::Missing);
    // Kermit stores a file received with a backslash in its name as it is.
    const std::size_t folder = rest.find_last_of(ok && direction == "RECV" ? "/" : "/\\");
    transfer.name = std::string(
        (ok || direction == "SEND") && folder != std::string_view::npos ? rest.substr(folder + 1) : rest);
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
    const bool received = line[0] == 'r';
    const char type = packet[2];
    // A new request, and either side's Send-Init, go with block check 1 and
    // no repeat counts.
    if (type == 'S' || (received && std::string_view("RIGCK").find(type) != std::string_view::npos)) {
        check_ = 1;
        repeat_ = 0;
    }
    // The length character counts what follows it: sequence, type, data and
    // block check.
    const std::size_t length = static_cast<unsigned char>(packet[0]) - 32U;
    if (length < 2 + check_ || packet.size() < length + 1) {
        return std::nullopt;
    }
    const std::size_t end = length + 1 - check_;
    std::string data;
    for (std::size_t i = 3; i < end; ++i) {
        // The repeat prefix: "~", the count plus 32, then the byte.
        std::size_t count = 1;
        if (repeat_ != 0 && packet[i] == repeat_ && i + 2 < end) {
            count = static_cast<unsigned char>(packet[++i]) - 32U;
            ++i;
        }
        char c = packet[i];
        // The control prefix: "#" then the byte with bit 6 flipped, or "#" itself.
        if (c == '#' && i + 1 < end) {
            c = packet[++i];
            c = (c & 0x7F) >= 0x3F && (c & 0x7F) <= 0x5F ? static_cast<char>(c ^ 0x40) : c;
        }
        data.append(count, c);
    }
    // The answer to a Send-Init names the block check, its eighth field read
    // raw, used from the file header on, and repeats the ninth, the repeat
    // prefix, when both sides take it.
    if (type == 'Y' && (received ? lastSent_ : lastReceived_) == 'S') {
        const char named = length > 10 ? packet[10] : '1';
        check_ = named >= '1' && named <= '3' ? static_cast<std::size_t>(named - '0') : 1;
        repeat_ = length > 11 && packet[11] == sendInitRepeat_ && packet[11] != ' ' ? packet[11] : 0;
    }
    if (type == 'S') {
        sendInitRepeat_ = length > 11 ? packet[11] : ' ';
    }
    if (!received) {
        lastSent_ = type;
    }
    Transfer transfer;
    if (received && type == 'F') {
        receiving_ = data;
    }
    if (!received && type == 'Y' && lastReceived_ == 'F' && !receiving_.empty()) {
        // Kermit answers a file header with the path it stores the file at.
        transfer.outcome = Transfer::Outcome::Receiving;
        transfer.name = receiving_;
        transfer.storedAs = data.substr(data.find_last_of('/') + 1);
        arrived_ = {};
        return transfer;
    }
    if (received && type == 'D' && !receiving_.empty() && arrived_.add(packet[1], data.size())) {
        return Transfer{Transfer::Outcome::Arriving, receiving_, arrived_.bytes, {}, {}};
    }
    // The transaction log shows no file sent to the server that did not arrive.
    if (type == 'E' && !receiving_.empty()) {
        transfer.outcome = received ? Transfer::Outcome::NotReceived : Transfer::Outcome::Refused;
        transfer.name = std::exchange(receiving_, {});
        transfer.reason = (received ? "the client cancelled it: " : "") + data;
        return transfer;
    }
    if (received && (type == 'Z' || type == 'B')) {
        receiving_.clear();
    }
    if (!received && (type == 'F' || type == 'B')) {
        sending_ = type == 'F' ? data : std::string();
        sent_ = {};
        if (type == 'F') {
            transfer.outcome = Transfer::Outcome::Started;
            transfer.name = sending_;
            return transfer;
        }
    }
    if (!received && type == 'D' && !sending_.empty() && sent_.add(packet[1], data.size())) {
        return Transfer{Transfer::Outcome::Sending, sending_, sent_.bytes, {}, {}};
    }
    transfer.reason = data;
    if (received && type == 'E' && !sending_.empty()) {
        // The client ended a send; the transaction log does not show it.
        transfer.outcome = Transfer::Outcome::Failed;
        transfer.name = sending_;
        transfer.reason = "the client cancelled it: " + data;
    }
    if (received) {
        lastReceived_ = type;
        if (type == 'R' || type == 'E') {
            sending_.clear();
        }
        return transfer.name.empty() ? std::nullopt : std::optional<Transfer>(transfer);
    }
    // A GET's refusal is in the transaction log with its name; one during a
    // send (after an acknowledgement) ends that send, logged there too.
    if (type != 'E' || lastReceived_ == 'R' || lastReceived_ == 'Y' || lastReceived_ == 'N') {
        return std::nullopt;
    }
    return transfer;
}

}  // namespace quillmere::kermit
