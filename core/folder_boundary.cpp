#include "core/folder_boundary.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace quillmere {

std::string followLinks(const std::string& path) {
    fs::path at(path);
    // As many links as the kernel follows before it reports a loop.
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(at, error))) {
            return at.string();
        }
        const fs::path to = fs::read_symlink(at, error);
        if (error) {
            return {};
        }
        at = to.is_absolute() ? to : at.parent_path() / to;
    }
    return {};
}

bool staysInsideFolder(const std::string& folder, const std::string& path) {
    const fs::path target(followLinks(path));
    std::error_code error;
    const fs::path root = fs::canonical(fs::path(folder), error);
    if (target.empty() || error) {
        return false;
    }
    // The target may not exist yet (a file about to be written): its folder must.
    fs::path where = fs::canonical(target, error);
    if (error) {
        const fs::path name = target.filename();
        if (name.empty() || name == "." || name == "..") {
            return false;
        }
        where = fs::canonical(target.parent_path(), error) / name;
        if (error) {
            return false;
        }
    }
    return where != root &&
           std::mismatch(root.begin(), root.end(), where.begin(), where.end()).first == root.end();
}

}  // namespace quillmere
