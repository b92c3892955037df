#include "core/read_calls.h"

#include <unistd.h>

namespace quillmere {
namespace {

std::vector<std::filesystem::directory_entry> folderEntries(const std::filesystem::path& folder,
                                                            std::error_code& error) {
    std::vector<std::filesystem::directory_entry> entries;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        entries.push_back(*entry);
    }
    return entries;
}

}  // namespace

ReadCalls readCalls{::read, folderEntries};

}  // namespace quillmere
