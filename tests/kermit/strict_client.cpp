#include "tests/kermit/strict_client.h"

#include <chrono>
#include <stdexcept>

#include <fcntl.h>
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
    if (type == 1) {
        return {tochar((sum + ((sum & 0300) >> 6)) & 077)};
    }
    return {tochar((sum >> 12) & 017), tochar((sum >> 6) & 077), tochar(sum & 077)};
}

bool isControl(unsigned char c) {
    return (c & 0x7F) < 0x20 || (c & 0x7F) == 0x7F;
}

}  // namespace

StrictClient::StrictClient(const std::string& device, int blockCheck)
    : fd_(::open(device.c_str(), O_RDWR | O_NOCTTY)), blockCheck_(blockCheck) {
    if (fd_ < 0) {
        throw std::runtime_error("cannot open " + device);
    }
}

StrictClient::~StrictClient() {
    ::close(fd_);
}

void StrictClient::send(int seq, char type, const std::string& data, int check) {
    std::string body{tochar(static_cast<int>(data.size()) + 2 + check), tochar(seq % 64), type};
    body += data;
    last_ = '\x01' + body + blockCheck(body, check) + '\r';
    if (::write(fd_, last_.data(), last_.size()) != static_cast<ssize_t>(last_.size())) {
        throw std::runtime_error("cannot write to the line");
    }
}

StrictClient::Packet StrictClient::exchange(int check) {
    std::string pending;
    for (int silences = 0; silences < 10;) {
        const std::size_t mark = pending.find('\x01');
        if (mark != std::string::npos && pending.size() > mark + 1) {
            const std::size_t length = static_cast<unsigned char>(pending[mark + 1]) - 32;
            if (length > 94) {
                throw std::runtime_error("a packet longer than the 94 characters asked for");
            }
            if (pending.size() >= mark + 2 + length) {
                const std::string body = pending.substr(mark + 1, length + 1);
                for (const char c : body) {
                    if (isControl(static_cast<unsigned char>(c))) {
                        throw std::runtime_error("unprefixed control byte in a packet");
                    }
                }
                const std::size_t dataEnd = body.size() - check;
                if (body.substr(dataEnd) != blockCheck(body.substr(0, dataEnd), check)) {
                    throw std::runtime_error("wrong block check");
                }
                return {(body[1] - 32), body[2], body.substr(3, dataEnd - 3)};
            }
        }
        pollfd line{fd_, POLLIN, 0};
        char buffer[256];
        if (::poll(&line, 1, 1000) == 1) {
            const ssize_t got = ::read(fd_, buffer, sizeof buffer);
            pending.append(buffer, got > 0 ? static_cast<std::size_t>(got) : 0);
        } else {
            ++silences;
            pending.clear();
            [[maybe_unused]] const ssize_t resent = ::write(fd_, last_.data(), last_.size());
        }
    }
    throw std::runtime_error("the server stopped answering");
}

std::optional<std::string> StrictClient::get(const std::string& name) {
    // The request, the server's Send-Init and our answer to it go with block
    // check 1; the one agreed there holds from the file header on.
    send(0, 'R', name, 1);
    Packet packet = exchange(1);
    if (packet.type == 'E') {
        return std::nullopt;
    }
    if (packet.type != 'S' || packet.data.size() < 6) {
        throw std::runtime_error(std::string("expected S, got ") + packet.type);
    }
    const char prefix = packet.data[5];
    // 94-character packets, 5 s timeout, no padding, CR, '#', no 8th-bit
    // prefix, our block check, no repeat counts, no capabilities.
    send(0, 'Y', "~% @-#N" + std::to_string(blockCheck_) + "  ", 1);
    std::string file;
    for (int expected = 1;; expected = (expected + 1) % 64) {
        packet = exchange(blockCheck_);
        while (packet.seq != expected) {
            packet = exchange(blockCheck_);
        }
        for (std::size_t i = 0; packet.type == 'D' && i < packet.data.size(); ++i) {
            unsigned char c = static_cast<unsigned char>(packet.data[i]);
            if (c == static_cast<unsigned char>(prefix)) {
                c = static_cast<unsigned char>(packet.data.at(++i));
                c = ((c & 0x7F) >= 0x3F && (c & 0x7F) <= 0x5F) ? c ^ 0x40 : c;
            }
            file += static_cast<char>(c);
        }
        if (packet.type != 'F' && packet.type != 'D' && packet.type != 'Z' && packet.type != 'B') {
            throw std::runtime_error(std::string("unexpected packet ") + packet.type);
        }
        send(expected, 'Y', "", blockCheck_);
        if (packet.type == 'B') {
            return file;
        }
    }
}
