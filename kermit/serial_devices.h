#pragma once

#include <string>
#include <vector>

namespace quillmere::kermit {

// A serial line the calculator's cable may be on.
struct SerialDevice {
    std::string path;         // "/dev/ttyUSB0"
    std::string description;  // what the system knows of it ("Prolific PL2303"), or ""
};

// The serial devices present, by path: every tty that udev knows with
// hardware behind it (a USB adapter, a built-in port that answers). Where
// QUILLMERE_SERIAL_DEVICES names a folder, its entries stand for them
// instead, so that a session can be tried on pseudo-terminals.
std::vector<SerialDevice> listSerialDevices();

// One device a line for a person: the path, then its description.
std::string describedDevices(const std::vector<SerialDevice>& devices);

// The one device present. Throws CatalogueError saying to plug the cable
// in when there is none, and listing them when there are several.
std::string onlySerialDevice(const std::vector<SerialDevice>& devices);

}  // namespace quillmere::kermit
