// Times the real main window against the least work each action needs.
//   quillmere-bench            start-up, then every size, each in a process
//                              of its own, then a table and the verdict on
//                              each target
//   quillmere-bench startup    the start-up line alone
//   quillmere-bench N [RUNS]   one size in this process: the lines alone
//   quillmere-bench slow       "Get Names" over files slow to answer
#include "bench/floors.h"
#include "bench/sample_folder.h"
#include "bench/startup_timer.h"
#include "core/bounded_file.h"
#include "core/header_file.h"
#include "core/read_calls.h"
#include "tests/support/window_driver.h"
#include "ui/control_names.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const int kSizes[] = {0, 1000, 10000, 32767, 100000};
constexpr int kLaunches = 15;

double seconds(const std::function<void()>& action) {
    const auto start = std::chrono::steady_clock::now();
    action();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

long peakRssMib() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stol(line.substr(6)) / 1024;
        }
    }
    return 0;
}

// The high-water mark starts again from the present size, so that what a
// floor allocates is not counted as the window's.
void restartPeakRss() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// Runs action and its floor in turn, runs times each. The peak is the
// window's, over every action of this size so far.
void measure(const char* name, int files, int runs, const std::function<void()>& action,
             const std::function<void()>& floor) {
    static long windowPeakMib = 0;
    std::vector<double> actionTimes;
    std::vector<double> floorTimes;
    for (int run = 0; run < runs; ++run) {
        restartPeakRss();
        actionTimes.push_back(seconds(action));
        windowPeakMib = std::max(windowPeakMib, peakRssMib());
        if (floor) {
            floorTimes.push_back(seconds(floor));
        }
    }
    std::printf("bench %s files=%d median_s=%.5f", name, files, median(actionTimes));
    if (floor) {
        const double floorTime = median(floorTimes);
        std::printf(" floor_s=%.5f ratio=%.2f", floorTime, median(actionTimes) / floorTime);
    }
    std::printf(" peak_rss_mib=%ld\n", windowPeakMib);
    std::fflush(stdout);
}

// A failure box would wait for a click that never comes: report it instead.
void failOnMessageBoxes(QApplication& application) {
    auto* watchdog = new QTimer(&application);
    QObject::connect(watchdog, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            std::fprintf(stderr, "bench: the window reported: %s\n", qPrintable(box->text()));
            std::exit(1);
        }
    });
    watchdog->start(200);
}

int benchOneSize(int argc, char** argv, int files, int runs) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    failOnMessageBoxes(application);
    const std::string data = QUILLMERE_BENCH_DATA;
    const std::string folder = data + "/files-" + std::to_string(files);
    const std::string floorOutput = data + "/floor-" + std::to_string(files) + ".000";
    makeSampleFolder(folder, files);

    quillmere::WindowDriver window;
    namespace controls = quillmere::form1_names;
    const auto fileRows = [&window] { return static_cast<int>(window.rows(controls::List2).size()); };
    const QString path = QString::fromLocal8Bit(folder.c_str());
    measure(
        "refresh", files, runs, [&] { window.chooseFolder(path); }, [&] { floorListing(folder); });
    if (fileRows() != files) {
        std::fprintf(stderr, "bench: the window lists %d files, not %d\n", fileRows(), files);
        return 1;
    }
    const std::vector<std::string> names = floorListing(folder);
    measure(
        "getnames", files, runs, [&] { window.click(controls::Command6); },
        [&] { floorReadHeaders(folder, names); });
    measure(
        "createdir", files, runs, [&] { window.click(controls::Command3); },
        [&] { floorCreateDirectory(folder, floorOutput); });
    if (quillmere::readWholeFile(folder + "/HP39DIR.000", "HP39DIR.000") !=
        quillmere::readWholeFile(floorOutput, "the floor's directory")) {
        std::fprintf(stderr, "bench: HP39DIR.000 differs from the floor's bytes at %d files\n", files);
        return 1;
    }
    if (files > 1) {
        window.click(controls::Command6);
        measure(
            "move", files, runs,
            [&] {
                window.selectRow(controls::List1, files / 2);
                window.click(controls::Command5);
            },
            nullptr);
    }
    return 0;
}

// Files on a mount that takes 50 ms over each read: the window waits for
// each as long as it takes to answer, never for its time limit. The floor
// reads the same heads through the same slow calls.
int benchSlowReads(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    failOnMessageBoxes(application);
    constexpr int kFiles = 20;
    const std::string folder = std::string(QUILLMERE_BENCH_DATA) + "/slow-" + std::to_string(kFiles);
    makeSampleFolder(folder, kFiles);
    quillmere::WindowDriver window;
    window.chooseFolder(QString::fromLocal8Bit(folder.c_str()));
    quillmere::readCalls.read = [](int fd, void* bytes, size_t size) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return ::read(fd, bytes, size);
    };
    const std::vector<std::string> names = floorListing(folder);
    measure(
        "slowreads", kFiles, 3, [&] { window.click(quillmere::form1_names::Command6); },
        [&] {
            for (const std::string& name : names) {
                quillmere::readFileHead(folder + "/" + name, name);
            }
        });
    return 0;
}

// The program and the one-label window launched in turn, after one launch
// each that warms the file cache; the line has the form of the others.
std::string benchStartup() {
    StartupTimer timer;
    timer.launch(QUILLMERE_BENCH_APP);
    timer.launch(QUILLMERE_BENCH_PEER);
    std::vector<double> appTimes;
    std::vector<double> peerTimes;
    long peakMib = 0;
    for (int launch = 0; launch < kLaunches; ++launch) {
        const StartupTimer::Launch app = timer.launch(QUILLMERE_BENCH_APP);
        appTimes.push_back(app.seconds);
        peakMib = std::max(peakMib, app.peakRssMib);
        peerTimes.push_back(timer.launch(QUILLMERE_BENCH_PEER).seconds);
    }
    char line[160];
    std::snprintf(line, sizeof line, "bench startup median_s=%.5f floor_s=%.5f ratio=%.2f peak_rss_mib=%ld\n",
                  median(appTimes), median(peerTimes), median(appTimes) / median(peerTimes), peakMib);
    return line;
}

struct Figure {
    double median = 0;
    double ratio = 0;
    long peakMib = 0;
};

// Reads "bench ACTION files=N key=value ..." lines.
std::map<std::pair<std::string, int>, Figure> parseLines(const std::string& output) {
    std::map<std::pair<std::string, int>, Figure> figures;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string bench, action, word;
        words >> bench >> action;
        int files = 0;
        Figure figure;
        while (words >> word) {
            const auto equals = word.find('=');
            const std::string key = word.substr(0, equals);
            const double value = std::stod(word.substr(equals + 1));
            if (key == "files")
                files = static_cast<int>(value);
            if (key == "median_s")
                figure.median = value;
            if (key == "ratio")
                figure.ratio = value;
            if (key == "peak_rss_mib")
                figure.peakMib = static_cast<long>(value);
        }
        figures[{action, files}] = figure;
    }
    return figures;
}

int benchAllSizes(const char* self) {
    std::string output = benchStartup();
    std::fputs(output.c_str(), stdout);
    std::fflush(stdout);
    std::vector<std::string> runs{"slow"};
    for (const int files : kSizes) {
        runs.push_back(std::to_string(files));
    }
    for (const std::string& run : runs) {
        const std::string command = std::string(self) + " " + run;
        std::FILE* child = ::popen(command.c_str(), "r");
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, child)) {
            std::fputs(buffer, stdout);
            output += buffer;
        }
        if (::pclose(child) != 0) {
            std::fprintf(stderr, "bench: the run \"%s\" failed\n", run.c_str());
            return 1;
        }
    }
    auto figures = parseLines(output);
    std::printf("\n%-10s %8s %10s %8s %9s\n", "action", "files", "median_s", "ratio", "peak_MiB");
    for (const auto& [key, figure] : figures) {
        if (key.second > 0 || key.first == "startup") {
            const std::string files = key.second > 0 ? std::to_string(key.second) : "-";
            const std::string ratio = figure.ratio > 0 ? std::to_string(figure.ratio).substr(0, 5) : "-";
            std::printf("%-10s %8s %10.5f %8s %9ld\n", key.first.c_str(), files.c_str(), figure.median,
                        ratio.c_str(), figure.peakMib);
        }
    }
    bool met = true;
    auto verdict = [&met](bool ok, const std::string& target) {
        met = met && ok;
        std::printf("%s %s\n", ok ? "met   " : "MISSED", target.c_str());
    };
    std::printf("\n");
    const double startup = figures[{"startup", 0}].ratio;
    verdict(startup <= 1.10,
            "startup: " + std::to_string(startup).substr(0, 4) + "x the one-label window (at most 1.10x)");
    const std::map<std::string, double> ratios = {{"createdir", 2.0}, {"getnames", 3.0}, {"refresh", 3.0}};
    for (const auto& [action, limit] : ratios) {
        for (const int files : {10000, 32767, 100000}) {
            const double ratio = figures[{action, files}].ratio;
            verdict(ratio <= limit, action + " at " + std::to_string(files) +
                                        " files: " + std::to_string(ratio).substr(0, 4) +
                                        "x floor (at most " + std::to_string(limit).substr(0, 3) + "x)");
        }
    }
    for (const char* action : {"refresh", "getnames", "createdir", "move"}) {
        const double growth = figures[{action, 100000}].median / figures[{action, 10000}].median;
        verdict(growth <= 12.0, std::string(action) + " from 10000 to 100000 files: " +
                                    std::to_string(growth).substr(0, 5) + "x (at most 12x)");
    }
    const double slow = figures[{"slowreads", 20}].ratio;
    verdict(slow <= 1.5, "getnames over 20 files answering after 50 ms: " +
                             std::to_string(slow).substr(0, 4) + "x the reads alone (at most 1.5x)");
    const double move = figures[{"move", 100000}].median;
    verdict(move < 0.016,
            "move at 100000 files: " + std::to_string(move * 1000).substr(0, 5) + " ms (under 16)");
    for (const char* action : {"getnames", "createdir"}) {
        const long above = figures[{action, 100000}].peakMib - figures[{action, 0}].peakMib;
        verdict(above <= 25, std::string(action) + " peak memory at 100000 files: " + std::to_string(above) +
                                 " MiB above an empty folder (at most 25)");
    }
    return met ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        if (argc == 1) {
            return benchAllSizes(argv[0]);
        }
        if (argv[1] == std::string("slow")) {
            return benchSlowReads(argc, argv);
        }
        if (argv[1] == std::string("startup")) {
            std::fputs(benchStartup().c_str(), stdout);
            return 0;
        }
        const int files = std::stoi(argv[1]);
        const int runs = argc > 2 ? std::stoi(argv[2]) : 5;
        return benchOneSize(argc, argv, files, runs);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench: %s\n", error.what());
        return 1;
    }
}
