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

// Block check 1: the sum of the characters folded into six bits.
char blockCheck(const std::string& bytes) {
    unsigned sum = 0;
    for (const unsigned char c : bytes) {
        sum += c;
    }
    return tochar((sum + ((sum & 0300) >> 6)) & 077);
}

bool isControl(unsigned char c) {
    return (c & 0x7F) < 0x20 || (c & 0x7F) == 0x7F;
}

}  // namespace

StrictClient::StrictClient(const std::string& device) : fd_(::open(device.c_str(), O_RDWR | O_NOCTTY)) {
    if (fd_ < 0) {
        throw std::runtime_error("cannot open " + device);
    }
}

StrictClient::~StrictClient() {
    ::close(fd_);
}

void StrictClient::send(int seq, char type, const std::string& data) {
    std::string body{tochar(static_cast<int>(data.size()) + 3), tochar(seq % 64), type};
    body += data;
    last_ = '\x01' + body + blockCheck(body) + '\r';
    if (::write(fd_, last_.data(), last_.size()) != static_cast<ssize_t>(last_.size())) {
        throw std::runtime_error("cannot write to the line");
    }
}

StrictClient::Packet StrictClient::exchange() {
    std::string pending;
    for (int silences = 0; silences < 10;) {
        const std::size_t mark = pending.find('\x01');
        if (mark != std::string::npos && pending.size() > mark + 1) {
            const std::size_t length = static_cast<unsigned char>(pending[mark + 1]) - 32;
            if (pending.size() >= mark + 2 + length) {
                const std::string body = pending.substr(mark + 1, length + 1);
                for (const char c : body) {
                    if (isControl(static_cast<unsigned char>(c))) {
                        throw std::runtime_error("unprefixed control byte in a packet");
                    }
                }
                const std::size_t dataEnd = body.size() - 1;
                if (body[dataEnd] != blockCheck(body.substr(0, dataEnd))) {
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
    send(0, 'R', name);
    Packet packet = exchange();
    if (packet.type == 'E') {
        return std::nullopt;
    }
    if (packet.type != 'S' || packet.data.size() < 6) {
        throw std::runtime_error(std::string("expected S, got ") + packet.type);
    }
    const char prefix = packet.data[5];
    // 94-byte packets, 5 s timeout, no padding, CR, '#', no 8th-bit prefix,
    // block check 1, no repeat counts, no capabilities.
    send(0, 'Y', "~% @-#N1  ");
    std::string file;
    for (int expected = 1;; expected = (expected + 1) % 64) {
        packet = exchange();
        while (packet.seq != expected) {
            packet = exchange();
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
        send(expected, 'Y', "");
        if (packet.type == 'B') {
            return file;
        }
    }
}
