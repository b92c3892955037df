#pragma once

#include <string>

namespace quillmere::kermit {

struct ServeSettings {
    std::string device;
    int speed = 9600;
    std::string folder;
    // Whether a file the client sends is taken into the folder.
    bool receive = false;
};

// Where Kermit finds what the command file refers to. No name ever reaches
// Kermit as text: the device comes as an open descriptor and the folder as
// its working folder, so whatever bytes they hold cannot become a command.
constexpr int kScriptFd = 3;
constexpr int kTransactionLogFd = 4;
constexpr int kPacketLogFd = 5;
constexpr int kLineFd = 6;

// How the command file ends Kermit when a step fails, so that the cause
// can be told; 0 when the client sends FINISH.
enum ScriptExit { kLineRefused = 3, kSpeedRefused = 4, kSetupFailed = 5, kSessionBroken = 6 };

// The C-Kermit command file that serves its working folder, and nothing
// outside it, on the line at kLineFd at settings.speed, writing its brief
// transaction log and its packet log to their descriptors; with
// settings.receive, taking files the client sends into the receiving folder
// (received_file.h), which must be there. It holds no byte of
// settings.device or settings.folder.
std::string serverScript(const ServeSettings& settings);

}  // namespace quillmere::kermit
