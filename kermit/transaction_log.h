#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillmere::kermit {

// One file of a Kermit session, as its brief transaction log records it.
struct Transfer {
    std::string name;  // as requested (a failure) or as sent, without folders
    long long bytes = -1;
    bool sent = false;
};

// Reads one line of a brief transaction log:
//   20261207,00:47:54,SEND,/srv/HELLO.000,23,binary,OK,"0.080sec 286cps"
// A failed request shows as RECV ... FAILED. Nothing for other lines.
std::optional<Transfer> parseTransaction(std::string_view line);

}  // namespace quillmere::kermit
