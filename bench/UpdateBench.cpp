// The download-and-extract path without windows, against nginx on loopback, beside
// `curl -o` followed by `unzip -q` on the same package. Prints the time ratio, the peak
// resident memory of each side, and what the progress path through the coalescing view queue
// costs against a view that does nothing.
//
//   update_bench [--cache DIR] [--runs N]
//
// The package (about 300 MB: one large incompressible asset, some mid-size files, a few
// thousand small text files, zipped by `zip`) is generated once into the cache folder.

#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/StringUtil.h"
#include "support/DrainingUiThread.h"
#include "support/NginxServer.h"
#include "support/Programs.h"
#include "update/CGameRemoteConfig.h"
#include "update/UpdateViewQueue.h"

extern char** environ;

namespace {
namespace fs = std::filesystem;

constexpr size_t kMiB = 1024 * 1024;

// ---- the package -----------------------------------------------------------------------------

void WriteBytes(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Incompressible(size_t size, std::mt19937_64& random) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i + 8 <= size; i += 8) {
        const std::uint64_t word = random();
        std::memcpy(&bytes[i], &word, 8);
    }
    return bytes;
}

std::string Text(size_t size, std::mt19937_64& random) {
    static const char* words[] = {"vorn",  "lunet", "quest", "sword", "shield", "dragon",
                                  "north", "river", "stone", "tower", "gold",   "night",
                                  "level", "skill", "guild", "armor", "potion", "map"};
    std::string text;
    text.reserve(size + 16);
    while (text.size() < size) {
        text += words[random() % (sizeof words / sizeof words[0])];
        text += (random() % 12 == 0) ? '\n' : ' ';
    }
    text.resize(size);
    return text;
}

fs::path EnsurePackage(const fs::path& cache) {
    const fs::path www = cache / "www";
    const fs::path package = www / "vorn.zip";
    if (fs::exists(cache / "package.done")) {
        return package;
    }
    std::printf("generating the package in %s (once)...\n", cache.c_str());
    std::fflush(stdout);
    const fs::path tree = cache / "tree";
    fs::remove_all(tree);
    fs::remove_all(www);
    std::mt19937_64 random(20220210);
    WriteBytes(tree / "vorn" / "assets" / "world.pak", Incompressible(240 * kMiB, random));
    for (int i = 0; i < 16; ++i) {
        WriteBytes(tree / "vorn" / "data" / platform::Format("table%d.dat", i),
                   i % 2 == 0 ? Incompressible(2 * kMiB, random) : Text(3 * kMiB, random));
    }
    for (int d = 0; d < 30; ++d) {
        for (int f = 0; f < 100; ++f) {
            WriteBytes(tree / "vorn" / "scripts" / platform::Format("s%d/f%d.lua", d, f),
                       Text(1000 + random() % 12000, random));
        }
    }
    WriteBytes(tree / "vorn" / "vorn", "#!/bin/sh\n");
    fs::create_directories(www);
    if (testsupport::RunProgram({"zip", "-r", "-q", "-X", package.string(), "."}, tree).exitCode !=
        0) {
        std::fprintf(stderr, "zip failed\n");
        std::exit(1);
    }
    fs::remove_all(tree);
    std::ofstream(cache / "package.done") << "ok\n";
    return package;
}

// ---- the launcher's path, in a child process ------------------------------------------------

class NullReporter : public IWebReporter {
  public:
    void LogEvent(int) override {}
    void Log(std::string_view) override {}
};

// Does nothing but note when the extraction began and whether the client became ready.
class NullView : public IUpdateView {
  public:
    void UpdateProgress(const std::string& status, const std::string&, int,
                        bool downloading) override {
        if (!downloading && status.empty() && extractionBegan == Clock::time_point{}) {
            extractionBegan = Clock::now();
        }
    }
    void ShowProgressView() override {}
    void ShowStatusView() override {}
    void InitWebBrower() override {}
    void SetReady() override { ready = true; }

    using Clock = std::chrono::steady_clock;
    Clock::time_point extractionBegan{};
    bool ready = false;
};

long PeakResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::atol(line.c_str() + 6);
        }
    }
    return 0;
}

// The child's own figures for the parent: download and extraction seconds, peak memory.
int Report(const NullView& ui, NullView::Clock::time_point start, const fs::path& work) {
    const auto end = NullView::Clock::now();
    const auto split =
        ui.extractionBegan == NullView::Clock::time_point{} ? end : ui.extractionBegan;
    std::ofstream(work / "result.txt")
        << std::chrono::duration<double>(split - start).count() << " "
        << std::chrono::duration<double>(end - split).count() << " " << PeakResidentKiB() << "\n";
    return ui.ready ? 0 : 1;
}

// Runs the driver once; `queued`: through the coalescing queue, drained by a second thread as
// the UI thread would, else straight into a view that does nothing.
int RunLauncherPath(bool queued, const std::string& configUrl, const fs::path& work) {
    setenv("HOME", (work / "home").c_str(), 1);
    unsetenv("XDG_DATA_HOME");
    unsetenv("XDG_STATE_HOME");
    unsetenv("XDG_CONFIG_HOME");
    const fs::path install = work / "vorn-lunet";
    fs::create_directories(install / "client");
    NullReporter reporter;
    UpdateContext context = UpdateContext::ForLauncher(install, install / "client", reporter);
    context.configUrl = configUrl;
    CGameRemoteConfig config(context);
    NullView ui;
    const auto start = NullView::Clock::now();
    if (!queued) {
        config.InitRemoteConfig(&ui);
        return Report(ui, start, work);
    }
    {
        // The UI thread as a window runs it: woken by the queue, drawing at most once a frame.
        testsupport::DrainingUiThread uiThread(ui, std::chrono::milliseconds(16));
        config.InitRemoteConfig(&uiThread.View());
    }
    return Report(ui, start, work);
}

// ---- measuring --------------------------------------------------------------------------------

struct Sample {
    double seconds = 0;
    double cpuSeconds = 0;  // user + system
    long peakKiB = 0;       // of the spawned program (wait4), which counts the spawning process too
    bool ok = false;
};

Sample Spawn(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const auto& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    Sample sample;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) == 0) {
        int status = 0;
        rusage usage{};
        wait4(pid, &status, 0, &usage);
        sample.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        sample.peakKiB = usage.ru_maxrss;
        sample.cpuSeconds =
            static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
            static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    }
    sample.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    return sample;
}

// Each run starts with nothing of the previous one left to write back, so that runs do not pay
// for each other's disk traffic.
void CleanSlate(const fs::path& work) {
    fs::remove_all(work);
    fs::create_directories(work);
    sync();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    fs::path cache = fs::current_path() / "bench-cache";
    int runs = 5;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--child" && i + 3 < argc) {
            return RunLauncherPath(std::string(argv[i + 1]) == "queue", argv[i + 2], argv[i + 3]);
        }
        if (arg == "--cache" && i + 1 < argc) {
            cache = argv[++i];
        } else if (arg == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr, "usage: %s [--cache DIR] [--runs N]\n", argv[0]);
            return 2;
        }
    }
    cache = fs::absolute(cache);
    // Generated in a child, so that this process stays small: a spawned program's peak
    // memory as wait4 reports it includes its parent's at the time of the spawn.
    const pid_t generator = fork();
    if (generator == 0) {
        EnsurePackage(cache);
        _exit(0);
    }
    int generated = 0;
    waitpid(generator, &generated, 0);
    if (!WIFEXITED(generated) || WEXITSTATUS(generated) != 0) {
        return 1;
    }
    const fs::path package = EnsurePackage(cache);
    testsupport::NginxServer nginx(package.parent_path());
    if (!nginx.Running()) {
        std::fprintf(stderr, "nginx did not start: %s\n", nginx.ErrorLog().c_str());
        return 1;
    }
    std::ofstream(package.parent_path() / "config.txt")
        << "ClientVersion=1.0.0.1\nClientDownloadUrl=" << nginx.Url("/vorn.zip") << "\n";
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    const fs::path work = cache / "work";
    std::printf("package %.1f MB, %d runs each, medians:\n",
                static_cast<double>(fs::file_size(package)) / 1e6, runs);

    std::vector<double> nullTimes, queueTimes, toolTimes;
    std::vector<double> nullCpu, queueCpu, toolCpu;
    std::vector<double> oursDownload, oursExtract, curlTimes, unzipTimes;
    long oursPeak = 0, toolPeak = 0;
    for (int run = 0; run < runs; ++run) {
        // Alternating which goes first, so that neither always follows the other.
        const bool nullFirst = run % 2 == 0;
        for (const char* mode : {nullFirst ? "null" : "queue", nullFirst ? "queue" : "null"}) {
            CleanSlate(work);
            const Sample s =
                Spawn({self, "--child", mode, nginx.Url("/config.txt"), work.string()});
            std::ifstream result(work / "result.txt");
            double download = 0, extract = 0;
            long peak = 0;
            if (!s.ok || !(result >> download >> extract >> peak)) {
                std::fprintf(stderr, "the launcher's path failed (%s)\n", mode);
                return 1;
            }
            (std::string(mode) == "null" ? nullTimes : queueTimes).push_back(s.seconds);
            (std::string(mode) == "null" ? nullCpu : queueCpu).push_back(s.cpuSeconds);
            if (std::string(mode) == "queue") {
                oursDownload.push_back(download);
                oursExtract.push_back(extract);
            }
            oursPeak = std::max(oursPeak, peak);
        }
        CleanSlate(work);
        fs::create_directories(work / "client");
        const Sample download =
            Spawn({"curl", "-s", "-o", (work / "vorn.zip").string(), nginx.Url("/vorn.zip")});
        const Sample extract = Spawn(
            {"unzip", "-q", "-o", (work / "vorn.zip").string(), "-d", (work / "client").string()});
        if (!download.ok || !extract.ok) {
            std::fprintf(stderr, "curl or unzip failed\n");
            return 1;
        }
        toolTimes.push_back(download.seconds + extract.seconds);
        toolCpu.push_back(download.cpuSeconds + extract.cpuSeconds);
        curlTimes.push_back(download.seconds);
        unzipTimes.push_back(extract.seconds);
        toolPeak = std::max({toolPeak, download.peakKiB, extract.peakKiB});
    }
    fs::remove_all(work);

    const double ours = Median(queueTimes);
    const double bare = Median(nullTimes);
    const double tools = Median(toolTimes);
    std::printf(
        "  launcher path, coalescing view   %7.3f s   (download %.3f s, extraction %.3f s)\n", ours,
        Median(oursDownload), Median(oursExtract));
    std::printf("  launcher path, no view           %7.3f s\n", bare);
    std::printf("  curl -o + unzip -q               %7.3f s   (curl %.3f s, unzip %.3f s)\n", tools,
                Median(curlTimes), Median(unzipTimes));
    std::printf("  peak memory: launcher path %.1f MiB (its own VmHWM), curl/unzip %.1f MiB\n",
                static_cast<double>(oursPeak) / 1024, static_cast<double>(toolPeak) / 1024);
    std::printf("  processor time: launcher path %.3f s, no view %.3f s, curl + unzip %.3f s\n",
                Median(queueCpu), Median(nullCpu), Median(toolCpu));
    std::printf("time ratio (launcher / tools)      %7.3f   (target <= 0.8)\n", ours / tools);
    std::printf("processor time ratio               %7.3f\n", Median(queueCpu) / Median(toolCpu));
    std::printf("peak memory of the launcher path   %7.1f MiB (target < 64)\n",
                static_cast<double>(oursPeak) / 1024);
    std::printf(
        "progress path cost                 %+6.1f %%  (target < 3; processor time %+.1f %%)\n",
        100.0 * (ours - bare) / bare,
        100.0 * (Median(queueCpu) - Median(nullCpu)) / Median(nullCpu));
    // On a machine shared with other work the medians drift between invocations; the two
    // variants of one run ran back to back, so their difference is steadier.
    std::vector<double> paired;
    for (size_t i = 0; i < queueCpu.size(); ++i) {
        paired.push_back(100.0 * (queueCpu[i] - nullCpu[i]) / nullCpu[i]);
    }
    std::printf(
        "progress path cost, run by run     %+6.1f %%  (median of the paired processor "
        "times; spread %+.1f to %+.1f)\n",
        Median(paired), *std::min_element(paired.begin(), paired.end()),
        *std::max_element(paired.begin(), paired.end()));
    return 0;
}
