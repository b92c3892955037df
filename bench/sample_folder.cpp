#include "bench/sample_folder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

void makeSampleFolder(const std::string& folder, int count) {
    const fs::path complete = fs::path(folder) / ".complete";
    if (fs::exists(complete)) {
        // An earlier run's directory would hand its order on to this run.
        fs::remove(fs::path(folder) / "HP39DIR.000");
        fs::remove(fs::path(folder) / "HP39DIR.CUR");
        return;
    }
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::mt19937 random(20261206u + static_cast<unsigned>(count));
    const char types[] = {'A', 'B', 'C', 'D', 'E', 'H'};
    const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 ";
    for (int i = 0; i < count; ++i) {
        const char type = types[random() % 6];
        std::string title(1 + random() % 40, ' ');
        for (char& c : title) {
            c = letters[random() % letters.size()];
        }
        const std::string length = std::to_string(title.size());
        const std::string lengthField = length.size() == 1 ? length + " " : length;
        char name[16];
        std::snprintf(name, sizeof name, "%c%07d.000", type, i);
        std::ofstream out(fs::path(folder) / name, std::ios::binary);
        out << "HP39Asc" << type << ' ' << lengthField << ' ' << title << "\r\n"
            << std::string(200 + random() % 400, 'x') << "\r\n";
    }
    std::ofstream(complete) << count;
}
