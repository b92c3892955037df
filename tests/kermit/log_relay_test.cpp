#include "kermit/log_relay.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillmere::kermit {
namespace {

// What a window would show, a line each.
class Told : public ServeObserver {
public:
    std::vector<std::string> lines;
    void started(const std::string& name) override { lines.push_back("started " + name); }
    void progressed(const std::string& name, long long bytes) override {
        lines.push_back("sending " + name + " " + std::to_string(bytes));
    }
    void transferred(const Transfer& transfer) override {
        lines.push_back("done " + transfer.name + " " + std::to_string(transfer.bytes));
    }
    void ended(const std::optional<Sentence>&) override {}
};

// C-Kermit's client fetching B.000 (14 bytes), as the server logged it;
// it ends the packets it sends with CR.
std::string packetLog() {
    const char* const lines[] = {
        R"(r-00-02-^A9 I~/ @-#Y3 ^>J)0___F"U1@U)",
        R"(s-00-02-^A9 Y~/ @-#Y3~^>J)0___C"U1@B)",
        R"(r-00-02-^A( RB.000<)",
        R"(s-00-02-^A9 S~/ @-#Y3~^>J)0___G"U1@@)",
        R"(r-00-02-^A9 Y~/ @-#Y3 ^>J)0___B"U1@")",
        R"(s-01-02-^A*!FB.000(%J)",
        R"(r-01-00-^A4!Y/home/u/B.000$TY)",
        R"(s-02-00-^AQ"A."U1""B8#120261207 16:40:42!!11"14,#644-!3@ .)U)",
        R"(r-02-00-^A%"Y.5!)",
        R"(s-03-00-^A3#DHP39AscA 3 Bat&"_)",
        R"(r-03-00-^A%#Y/R9)",
        R"(s-04-00-^A%$Z(,*)",
        R"(r-04-00-^A%$Y+&1)",
        R"(s-05-00-^A%%B 8;)",
        R"(r-05-00-^A%%Y*A))",
    };
    std::string log;
    for (const std::string line : lines) {
        log += line + (line[0] == 's' ? "\r\n" : "\n");
    }
    return log;
}

// Kermit writes the transaction after the file's last packet, yet both may
// wait in their pipes until the same read: the file still starts before it
// is done, once, whatever a read cuts.
TEST(LogRelay, TellsAFileStartedBeforeItIsDoneHoweverTheLogsAreRead) {
    const std::string packets = packetLog(),
                      transaction = "20261207,16:40:44,SEND,/srv/B.000,14,binary,OK,\"0.005sec 2800cps\"\n";
    for (const std::size_t piece : {std::string::npos, std::size_t{7}}) {
        SCOPED_TRACE(piece);
        Told told;
        LogRelay relay("/srv", told);
        if (piece == std::string::npos) {
            relay.relay(transaction, packets);
        } else {
            for (std::size_t at = 0; at < packets.size(); at += piece) {
                relay.relay({}, packets.substr(at, piece));
            }
            for (std::size_t at = 0; at < transaction.size(); at += piece) {
                relay.relay(transaction.substr(at, piece), {});
            }
        }
        EXPECT_EQ(told.lines,
                  (std::vector<std::string>{"started B.000", "sending B.000 14", "done B.000 14"}));
    }
}

}  // namespace
}  // namespace quillmere::kermit
