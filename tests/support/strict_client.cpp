#include "tests/support/strict_client.h"

#include <stdexcept>
#include <vector>

#include <poll.h>
#include <unistd.h>

namespace {

char tochar(int x) {
    return static_cast<char>(x + 32);
}

// Block check 1: the sum of the characters folded into six bits. Block check
// 3: their CRC-16 (reflected, polynomial 0x8408) in three six-bit characters.
std::string blockCheck(const std::string& bytes, int type) {
    unsigned sum = 0;
    for (const unsigned char c : bytes) {
        sum = type == 1 ? sum + c : sum ^ c;
        for (int bit = 0; type == 3 && bit < 8; ++bit) {
            sum = (sum & 1) ? (sum >> 1) ^ 0x8408 : sum >> 1;
        }
    }
    return type == 1 ? std::string{tochar((sum + ((sum & 0300) >> 6)) & 077)}
                     : std::string{tochar((sum >> 12) & 017), tochar((sum >> 6) & 077), tochar(sum & 077)};
}

struct Line {
    int fd;
    std::string last;

    void send(int seq, char type, const std::string& data, int check) {
        std::string body{tochar(static_cast<int>(data.size()) + 2 + check), tochar(seq), type};
        body += data;
        last = '\x01' + body + blockCheck(body, check) + '\r';
        resend();
    }

    void resend() { [[maybe_unused]] const ssize_t written = ::write(fd, last.data(), last.size()); }

    // The next packet's sequence character, type and data; ours again on
    // each second of silence.
    std::string receive(int check) {
        std::optional<std::string> packet;
        for (int silences = 0; silences < 10;) {
            pollfd ready{fd, POLLIN, 0};
            char c = 0;
            if (::poll(&ready, 1, 1000) != 1 || ::read(fd, &c, 1) != 1) {
                ++silences;
                packet.reset();
                resend();
            } else if (c == '\x01') {
                packet = "";
            } else if (packet && packet->empty() && static_cast<unsigned char>(c) > ' ' + 94) {
                throw std::runtime_error("a packet longer than the 94 characters asked for");
            } else if (packet && ((c & 0x7F) < 32 || (c & 0x7F) == 127)) {
                throw std::runtime_error("unprefixed control byte in a packet");
            } else if (packet && (*packet += c).size() == static_cast<unsigned char>((*packet)[0]) - 31U) {
                return packet->substr(1, packet->size() - 1 - static_cast<std::size_t>(check));
            }
        }
        throw std::runtime_error("the server stopped answering");
    }
};

}  // namespace

std::optional<std::string> strictGet(int fd, const std::string& name, int blockCheck, bool cancel) {
    Line line{fd, {}};
    // The request, the server's Send-Init and our answer go with block check
    // 1; the one agreed there holds from the file header on.
    line.send(0, 'R', name, 1);
    std::string packet = line.receive(1);
    // Answers to a request sent again before the server was listening come twice: skip to the first.
    while (packet[1] != 'S' && packet[1] != 'E') {
        packet = line.receive(1);
    }
    if (packet[1] == 'E') {
        return std::nullopt;
    }
    const char prefix = packet.at(7);
    // 94-character packets, 5 s timeout, no padding, CR, '#', no 8th-bit
    // prefix, our block check, no repeat counts, no capabilities.
    line.send(0, 'Y', "~% @-#N" + std::to_string(blockCheck) + "  ", 1);
    std::string file;
    for (int expected = 1;; expected = (expected + 1) % 64) {
        do {
            packet = line.receive(blockCheck);
        } while (packet[0] != tochar(expected));
        if (std::string("FDZB").find(packet[1]) == std::string::npos) {
            throw std::runtime_error("unexpected packet " + packet);
        }
        for (std::size_t i = 2; packet[1] == 'D' && i < packet.size(); ++i) {
            char c = packet[i];
            if (c == prefix) {
                c = packet.at(++i);
                c = (c & 0x7F) >= 0x3F && (c & 0x7F) <= 0x5F ? static_cast<char>(c ^ 0x40) : c;
            }
            file += c;
        }
        if (cancel && packet[1] == 'D') {
            line.send(expected, 'E', "Cancelled", blockCheck);
            return std::nullopt;
        }
        line.send(expected, 'Y', "", blockCheck);
        if (packet[1] == 'B') {
            return file;
        }
    }
}

bool strictSend(int fd, const std::string& name, const std::string& bytes, bool cancel) {
    Line line{fd, {}};
    // As our answer to its Send-Init in strictGet.
    std::vector<std::pair<char, std::string>> packets{{'S', "~% @-#N1 "}, {'F', name}, {'D', ""}};
    for (const char c : bytes) {
        const bool control = (c & 0x7F) < 32 || (c & 0x7F) == 127;
        // A new data packet once this one is nearly full.
        (packets.back().second.size() > 86 ? packets.emplace_back('D', "") : packets.back()).second +=
            control || c == '#' ? std::string{'#', control ? static_cast<char>(c ^ 0x40) : c}
                                : std::string{c};
    }
    packets.insert(packets.end(), {{'Z', ""}, {'B', ""}});
    for (std::size_t seq = 0; seq < packets.size(); ++seq) {
        if (cancel && seq == 4) {
            line.send(4, 'E', "Cancelled", 1);
            return false;
        }
        line.send(static_cast<int>(seq % 64), packets[seq].first, packets[seq].second, 1);
        std::string packet;
        do {
            packet = line.receive(1);
        } while (packet[0] != tochar(static_cast<int>(seq % 64)) && packet[1] != 'E');
        if (packet[1] != 'Y') {
            return false;
        }
    }
    return true;
}
