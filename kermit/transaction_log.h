#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quillmere::kermit {

// One request of a Kermit session, as its logs record it.
struct Transfer {
    enum class Outcome {
        Sent,         // the whole file went out
        Missing,      // a GET of a name that is no file of the folder
        Failed,       // a send that did not complete
        Refused,      // any other request, which the server does not serve; or a file sent to it under a
                      // name it does not store
        Received,     // a file the client sent arrived whole; name: as stored, without folders
        NotReceived,  // a file the client sent did not arrive whole, and nothing of it is kept
        // Not yet an outcome: a file's header went out, or more of its data; a
        // file's header came in (name: as the client sent it).
        Started,
        Sending,  // bytes: the file's bytes sent so far
        Receiving,
        Arriving,  // bytes: the bytes of the file the client is sending, so far
    };
    Outcome outcome = Outcome::Refused;
    std::string name;  // as requested, or as sent without folders; none for Refused
    long long bytes = -1;
    std::string reason;  // Kermit's words, for Failed, Refused and NotReceived
    // Receiving: the name Kermit stores the file under until it is whole.
    std::string storedAs;
};

// Reads one line of a brief transaction log:
//   20261207,00:47:54,SEND,/srv/HELLO.000,23,binary,OK,"0.080sec 286cps"
// A file received shows as RECV with its path and OK, a failed request or
// receipt as RECV ... FAILED. Nothing for other lines.
std::optional<Transfer> parseTransaction(std::string_view line);

// Reads a packet log line by line: an error packet the server sends in
// answer to a request other than a GET (whose refusals the transaction log
// names) is a Refused transfer with the packet's message, and one the
// client sends in the middle of a file a Failed transfer of that file. A
// file header sent is a Started transfer, each new data packet a Sending
// one; a file header received and accepted a Receiving one, each new data
// packet of it an Arriving one, and an error
// packet in the middle of a file received a NotReceived transfer, or a
// Refused one when the server sends it.
class PacketLog {
public:
    std::optional<Transfer> read(std::string_view line);

private:
    char lastReceived_ = 0;
    char lastSent_ = 0;
    // The length of the block check in use, and the repeat prefix (0: none).
    std::size_t check_ = 1;
    char repeat_ = 0;
    // Of the last Send-Init, its repeat prefix.
    char sendInitRepeat_ = ' ';
    // The bytes of one file's data packets so far.
    struct DataCount {
        long long bytes = 0;
        char lastSequence = 0;
        // False for a packet sent again, which adds nothing.
        bool add(char sequence, std::size_t size) {
            if (sequence == lastSequence) {
                return false;
            }
            lastSequence = sequence;
            bytes += static_cast<long long>(size);
            return true;
        }
    };
    // The file the client is sending, as it named it, and the one going out.
    std::string receiving_;
    DataCount arrived_;
    std::string sending_;
    DataCount sent_;
};

}  // namespace quillmere::kermit
