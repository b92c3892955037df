#include "kermit/server_script.h"

#include "kermit/received_file.h"

namespace quillmere::kermit {
namespace {

std::string orExit(ScriptExit status) {
    return "if fail exit " + std::to_string(status) + "\n";
}

std::string descriptor(int fd) {
    return "/dev/fd/" + std::to_string(fd);
}

}  // namespace

std::string serverScript(const ServeSettings& settings) {
    std::string script;
    // The calculator's cable, opened and locked by us before Kermit starts.
    script += "set line " + std::to_string(kLineFd) + "\n" + orExit(kLineRefused);
    script += "set speed " + std::to_string(settings.speed) + "\n" + orExit(kSpeedRefused);
    // A three-wire cable carries no carrier detect.
    script += "set carrier-watch off\n";
    // A direct cable: no modem to talk to.
    script += "set modem type none\n";
    // The calculator does neither RTS/CTS nor XON/XOFF.
    script += "set flow-control none\n";
    // Eight data bits, so bytes above 127 need no eighth-bit prefix.
    script += "set parity none\n";
    // C-Kermit fills a data field up to the client's packet length, not counting the sequence, type and
    // block check around it (94 with block check 3 made 95): 89 keeps a 94-character client within.
    script += "set send packet-length 89\n";
    // No raw control byte on the line: the calculator takes none unprefixed.
    script += "set control-character prefixed all\n";
    // Byte for byte: CR LF and lone LF reach the calculator as they are ...
    script += "set file type binary\n";
    // ... whatever the client says, and a calculator says nothing.
    script += "set transfer mode manual\n";
    // A client that asked for text mode leaves the server in it for every
    // later client. With CR LF as the line end, text goes out unchanged.
    script += "set file eol crlf\n";
    // No guessing text from a file's name.
    script += "set file patterns off\n";
    // Names go as the directory lists them, never converted.
    script += "set file names literal\n";
    // A requested name is the file's name, even with "*", "?" or "[".
    script += "set wildcard-expansion off\n";
    // The client sees bare file names, never the computer's folders.
    script += "set send pathnames off\n";
    // A path in a request never reaches the file system.
    script += "set receive pathnames off\n";
    // No character-set translation of the bytes either.
    script += "set transfer character-set transparent\n";
    // One line per file, read back to report what was sent or refused ...
    script += "set transaction-log brief\n";
    script += "log transactions " + descriptor(kTransactionLogFd) + "\n" + orExit(kSetupFailed);
    // ... and the packets, for the refusals of other requests.
    script += "log packets " + descriptor(kPacketLogFd) + "\n" + orExit(kSetupFailed);
    // Nothing outside the working folder can be reached, through ".." or a link.
    script += "set root .\n" + orExit(kSetupFailed);
    if (settings.receive) {
        // Kept apart until whole: we move each file in once the log says it arrived.
        script +=
            std::string("set file download-directory ") + kReceivingFolder + "\n" + orExit(kSetupFailed);
        script += "set file incomplete discard\n";
        // A name arriving twice before we moved the first gets a name of its own, which the log tells.
        script += "set file collision rename\n";
        // The file's mode is ours to choose, not the sender's.
        script += "set receive permissions off\n";
    } else {
        script += "disable send\n";
    }
    // A client may fetch files and end the session (GET, FINISH), and send
    // files when allowed; every other service could change the folder, reach
    // outside it or reopen the rest.
    for (const char* service : {"mail", "print", "assign", "cd",     "copy",     "delete", "directory",
                                "host", "mkdir", "rmdir",  "rename", "retrieve", "set",    "space",
                                "type", "who",   "query",  "bye",    "exit",     "enable"}) {
        script += std::string("disable ") + service + "\n";
    }
    script += "server\n";
    // The server ends without FINISH when the line is lost.
    script += orExit(kSessionBroken);
    script += "exit 0\n";
    return script;
}

}  // namespace quillmere::kermit
