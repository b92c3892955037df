#include "kermit/log_relay.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillmere::kermit {
namespace {

// What a window would show, a line each.
struct Told : ServeObserver {
    std::vector<std::string> lines;
    void started(const std::string& name) override { lines.push_back("started " + name); }
    void transferred(const Transfer& transfer) override { lines.push_back("sent " + transfer.name); }
    void ended(const std::optional<Sentence>&) override {}
};

// Kermit logs a file's header packet (here with block check 1) before the
// transaction that ends the file, yet both may wait in their pipes until the
// same read: the file still starts before it is done, once, whatever a read cuts.
TEST(LogRelay, TellsAFileStartedBeforeItIsDoneHoweverTheLogsAreRead) {
    const std::string packets = "s-01-02-^A(!FB.000X\r\n",
                      transaction = "20261207,16:40:44,SEND,/srv/B.000,14,binary,OK,\"0.005sec 2800cps\"\n";
    for (const std::size_t piece : {std::string::npos, std::size_t{7}}) {
        SCOPED_TRACE(piece);
        Told told;
        LogRelay relay("/srv", told);
        if (piece == std::string::npos) {
            relay.relay(transaction, packets);
        }
        for (std::size_t at = 0; piece != std::string::npos && at < packets.size(); at += piece) {
            relay.relay({}, packets.substr(at, piece));
        }
        for (std::size_t at = 0; piece != std::string::npos && at < transaction.size(); at += piece) {
            relay.relay(transaction.substr(at, piece), {});
        }
        EXPECT_EQ(told.lines, (std::vector<std::string>{"started B.000", "sent B.000"}));
    }
}

}  // namespace
}  // namespace quillmere::kermit
