#pragma once

#include <optional>
#include <string>

// A Kermit client as strict as a calculator: 94-byte packets, window 1, no
// attribute packets, no system id, block check 1 or 3. It throws on any raw
// control byte inside a packet and when the server stops answering.
class StrictClient {
public:
    StrictClient(const std::string& device, int blockCheck);
    ~StrictClient();
    StrictClient(const StrictClient&) = delete;
    StrictClient& operator=(const StrictClient&) = delete;

    // The file's bytes, or nothing when the server answers with an error.
    std::optional<std::string> get(const std::string& name);

private:
    struct Packet {
        int seq;
        char type;
        std::string data;
    };
    void send(int seq, char type, const std::string& data, int check);
    // The next packet, resending the last one on each silence.
    Packet exchange(int check);

    int fd_;
    int blockCheck_;
    std::string last_;
};
