#pragma once

#include "core/catalogue_error.h"
#include "kermit/received_file.h"
#include "kermit/transaction_log.h"

#include <optional>
#include <string>

namespace quillmere::kermit {

// What a session reports as it goes, for whoever shows it to the user.
class ServeObserver {
public:
    virtual ~ServeObserver() = default;
    // A file begins to go out.
    virtual void started(const std::string& name) { static_cast<void>(name); }
    // bytesSent of the file going out have gone so far.
    virtual void progressed(const std::string& name, long long bytesSent) {
        static_cast<void>(name);
        static_cast<void>(bytesSent);
    }
    // bytesReceived of a file the client is sending have come so far.
    virtual void arriving(const std::string& name, long long bytesReceived) {
        static_cast<void>(name);
        static_cast<void>(bytesReceived);
    }
    // A file taken into the folder.
    virtual void received(const Receipt& receipt) { static_cast<void>(receipt); }
    // A file sent, or a request refused or failed, or a file sent to us refused
    // or cut short.
    virtual void transferred(const Transfer& transfer) = 0;
    // Serving is over, once a session: no failure after FINISH or a stop,
    // otherwise what went wrong in words the user can act on.
    virtual void ended(const std::optional<Sentence>& failure) = 0;
};

}  // namespace quillmere::kermit
