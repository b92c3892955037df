#pragma once

#include <optional>
#include <string>
#include <vector>

// A fresh folder under the system's temporary folder, removed with
// everything in it when the test ends.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string pathOf(const std::string& name) const { return path_ + "/" + name; }
    void write(const std::string& name, const std::string& bytes) const;
    // The file's bytes, or nothing when there is no such regular file.
    std::optional<std::string> read(const std::string& name) const;
    // Every name in the folder, hidden ones included, sorted.
    std::vector<std::string> entries() const;

private:
    std::string path_;
};
