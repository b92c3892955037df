#pragma once

#include "kermit/serve_observer.h"
#include "kermit/transaction_log.h"

#include <map>
#include <string>
#include <string_view>

namespace quillmere::kermit {

// Tells an observer what Kermit's two logs say, line by line as they come,
// and takes each file the client sent into the folder once it is whole.
class LogRelay {
public:
    LogRelay(std::string folder, ServeObserver& observer);

    // What each log has written since the last call, read in this order.
    // Kermit logs a file's packets before its transaction: the packet log
    // read after the transaction log, and its lines told first, holds the
    // packets of every transaction read, so a file starts before it is done
    // and its name is known before it arrives.
    void relay(std::string_view transactions, std::string_view packets);

private:
    void tell(const Transfer& transfer);
    void takeUpload(const std::string& sentName, const std::string& stagedName);

    std::string folder_;
    ServeObserver& observer_;
    PacketLog packetLog_;
    // Of each file the client is sending: the name Kermit stores it under, and the name it was sent as.
    std::map<std::string, std::string> sentNames_;
    // Of each log, a line not yet ended.
    std::string pendingTransactions_;
    std::string pendingPackets_;
};

}  // namespace quillmere::kermit
