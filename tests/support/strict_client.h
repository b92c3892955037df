#pragma once

#include <optional>
#include <string>

// A GET as strict as a calculator's: 94-character packets, window 1, no attribute packets, no system id,
// block check 1 or 3. The file's bytes, or nothing for the server's error packet or when cancelling
// after the first data packet; throws on a raw control byte in a packet, a packet longer than 94
// characters, a wrong block check or a server gone silent.
std::optional<std::string> strictGet(int fd, const std::string& name, int blockCheck, bool cancel = false);

// A SEND as strict as a calculator's, with the same packets and block check 1: Send-Init, file header,
// data, end of file, end of session. Whether the server acknowledged them all, or with cancel, the
// error packet sent instead of the second data packet; false for the server's error packet.
bool strictSend(int fd, const std::string& name, const std::string& bytes, bool cancel = false);
