// Any device and folder names: the command file Kermit reads is the same as
// for no names at all, so no byte of a name can become a Kermit command.
#include "kermit/server_script.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace quillmere::kermit;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    const ServeSettings named{input.substr(0, split), 9600,
                              split == std::string::npos ? "" : input.substr(split)};
    if (serverScript(named) != serverScript({"", 9600, ""})) {
        std::abort();
    }
    return 0;
}
