#include "kermit/server_script.h"

namespace quillmere::kermit {
namespace {

// A backslash (a Windows separator) doubled, so that Kermit does not read it
// as the start of an escape.
std::string escaped(const std::string& text) {
    std::string doubled;
    for (const char c : text) {
        doubled += c;
        if (c == '\\') {
            doubled += c;
        }
    }
    return doubled;
}

// A file name that may hold blanks: braced. "set line" takes its device
// name as it stands, braces included, so devices go unbraced.
std::string word(const std::string& text) {
    return "{" + escaped(text) + "}\n";
}

}  // namespace

std::string serverScript(const ServeSettings& settings, const std::string& logPath) {
    // Each step that can fail ends Kermit with status 1 rather than serving
    // something else (its own terminal, the wrong folder).
    const std::string orStop = "if fail exit 1\n";
    std::string script;
    // The calculator's cable, at its speed (9600 baud unless told otherwise).
    script += "set line " + escaped(settings.device) + "\n" + orStop;
    script += "set speed " + std::to_string(settings.speed) + "\n" + orStop;
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
    // No guessing text from a file's name.
    script += "set file patterns off\n";
    // Names go as the directory lists them, never converted.
    script += "set file names literal\n";
    // The client sees bare file names, never the computer's folders.
    script += "set send pathnames off\n";
    // A path in a request never reaches the file system.
    script += "set receive pathnames off\n";
    // No character-set translation of the bytes either.
    script += "set transfer character-set transparent\n";
    // One line per file, read back to report what was sent.
    script += "set transaction-log brief\n";
    // Opened before the root is set: the log lies outside the folder.
    script += "log transactions " + word(logPath) + orStop;
    // Requests name files of the folder ...
    script += "cd " + word(settings.folder) + orStop;
    // ... and nothing outside it can be reached, through ".." or a link.
    script += "set root " + word(settings.folder) + orStop;
    // A client may fetch files and end the session (GET, FINISH); every other
    // service could change the folder, reach outside it or reopen the rest.
    for (const char* service : {"send",      "mail", "print", "assign", "cd",     "copy",     "delete",
                                "directory", "host", "mkdir", "rmdir",  "rename", "retrieve", "set",
                                "space",     "type", "who",   "query",  "bye",    "exit",     "enable"}) {
        script += std::string("disable ") + service + "\n";
    }
    script += "server\n";
    // Reached when the client sends FINISH.
    script += "exit 0\n";
    return script;
}

}  // namespace quillmere::kermit
