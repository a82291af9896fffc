#include "app/CrashHandler.h"

#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>

#include "platform/StringUtil.h"

std::string g_strDumpPrefix;

namespace {

constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
constexpr size_t kSignalCount = sizeof kSignals / sizeof kSignals[0];
constexpr size_t kAltStackSize = 64 * 1024;

// Everything the handler reads is prepared before it is installed: it may neither allocate nor
// take a lock.
char g_prefix[4096];
long g_utcOffset = 0;  // seconds east of UTC when the handler was installed
struct sigaction g_previous[kSignalCount];
bool g_installed = false;

// --- async-signal-safe helpers ---------------------------------------------------------------

void Write(int fd, const char* text, size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, text, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        text += n;
        size -= static_cast<size_t>(n);
    }
}

void Write(int fd, const char* text) {
    Write(fd, text, std::strlen(text));
}

// Digits of `value` in `base`, at least `width` of them, into `out` (no terminator); returns
// the count.
size_t Digits(char* out, unsigned long long value, unsigned base, size_t width) {
    char reversed[32];
    size_t n = 0;
    do {
        reversed[n++] = "0123456789abcdef"[value % base];
        value /= base;
    } while (value != 0 && n < sizeof reversed);
    while (n < width && n < sizeof reversed) {
        reversed[n++] = '0';
    }
    for (size_t i = 0; i < n; ++i) {
        out[i] = reversed[n - 1 - i];
    }
    return n;
}

void WriteNumber(int fd, unsigned long long value, unsigned base) {
    char buffer[32];
    Write(fd, buffer, Digits(buffer, value, base, 1));
}

// Days since 1970-01-01 to a civil date (proleptic Gregorian calendar).
void CivilFromDays(long long days, int& year, int& month, int& day) {
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const long long doe = days - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

// "<prefix>_YYYY_MM_DD_HH_MM_SS.dmp" for the current local time.
void ReportName(char* out, size_t size) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const long long local = static_cast<long long>(now.tv_sec) + g_utcOffset;
    long long days = local / 86400;
    long long seconds = local % 86400;
    if (seconds < 0) {
        seconds += 86400;
        --days;
    }
    int year = 0;
    int month = 0;
    int day = 0;
    CivilFromDays(days, year, month, day);
    const unsigned long long fields[] = {static_cast<unsigned long long>(year),
                                         static_cast<unsigned long long>(month),
                                         static_cast<unsigned long long>(day),
                                         static_cast<unsigned long long>(seconds / 3600),
                                         static_cast<unsigned long long>(seconds / 60 % 60),
                                         static_cast<unsigned long long>(seconds % 60)};
    size_t at = std::strlen(g_prefix);
    if (at + 32 >= size) {
        out[0] = '\0';
        return;
    }
    std::memcpy(out, g_prefix, at);
    for (size_t i = 0; i < 6; ++i) {
        out[at++] = '_';
        at += Digits(out + at, fields[i], 10, i == 0 ? 4 : 2);
    }
    std::memcpy(out + at, ".dmp", 5);
}

bool TracerAttached() {
    const int fd = open("/proc/self/status", O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    char buffer[4096];
    size_t used = 0;
    ssize_t n = 0;
    while (used < sizeof buffer - 1 &&
           (n = read(fd, buffer + used, sizeof buffer - 1 - used)) > 0) {
        used += static_cast<size_t>(n);
    }
    close(fd);
    buffer[used] = '\0';
    const char* field = std::strstr(buffer, "TracerPid:");
    if (field == nullptr) {
        return false;
    }
    field += 10;
    while (*field == ' ' || *field == '\t') {
        ++field;
    }
    return *field >= '1' && *field <= '9';
}

const char* SignalName(int signal) {
    switch (signal) {
        case SIGSEGV:
            return "SIGSEGV";
        case SIGBUS:
            return "SIGBUS";
        case SIGILL:
            return "SIGILL";
        case SIGFPE:
            return "SIGFPE";
        case SIGABRT:
            return "SIGABRT";
        default:
            return "signal";
    }
}

void WriteReport(int fd, int signal, const siginfo_t* info) {
    Write(fd, "signal ");
    WriteNumber(fd, static_cast<unsigned long long>(signal), 10);
    Write(fd, " (");
    Write(fd, SignalName(signal));
    Write(fd, ")\nfault address 0x");
    WriteNumber(fd, reinterpret_cast<std::uintptr_t>(info != nullptr ? info->si_addr : nullptr),
                16);
    Write(fd, "\nthread ");
    WriteNumber(fd, static_cast<unsigned long long>(syscall(SYS_gettid)), 10);
    Write(fd, "\n\nbacktrace:\n");
    void* frames[64];
    const int count = backtrace(frames, 64);
    backtrace_symbols_fd(frames, count, fd);
    Write(fd, "\nmaps:\n");
    const int maps = open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
    if (maps >= 0) {
        char buffer[4096];
        ssize_t n = 0;
        while ((n = read(maps, buffer, sizeof buffer)) > 0) {
            Write(fd, buffer, static_cast<size_t>(n));
        }
        close(maps);
    }
}

void OnFatalSignal(int signal, siginfo_t* info, void* /*context*/) {
    const int savedErrno = errno;
    if (!TracerAttached()) {
        char name[sizeof g_prefix + 64];
        ReportName(name, sizeof name);
        const int fd =
            name[0] != '\0' ? open(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600) : -1;
        if (fd >= 0) {
            WriteReport(fd, signal, info);
            close(fd);
        }
    }
    errno = savedErrno;
    // The handler was reset on entry (SA_RESETHAND); the signal is blocked until this returns,
    // so it is then delivered again with its default action, also when it was raised rather
    // than caused by a faulting instruction.
    raise(signal);
}

struct AltStack {
    std::unique_ptr<char[]> memory = std::make_unique<char[]>(kAltStackSize);
    AltStack() {
        stack_t stack{};
        stack.ss_sp = memory.get();
        stack.ss_size = kAltStackSize;
        sigaltstack(&stack, nullptr);
    }
    ~AltStack() {
        stack_t stack{};
        stack.ss_flags = SS_DISABLE;
        sigaltstack(&stack, nullptr);
    }
    AltStack(const AltStack&) = delete;
    AltStack& operator=(const AltStack&) = delete;
};

}  // namespace

void PrepareThreadForCrashReports() {
    thread_local AltStack stack;
}

std::string CrashReportName(const std::string& prefix, const std::tm& local) {
    return platform::Format("%s_%04d_%02d_%02d_%02d_%02d_%02d.dmp", prefix.c_str(),
                            local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                            local.tm_min, local.tm_sec);
}

bool InstallCrashHandler() {
    if (g_installed) {
        return true;
    }
    if (g_strDumpPrefix.size() >= sizeof g_prefix) {
        return false;
    }
    std::memcpy(g_prefix, g_strDumpPrefix.c_str(), g_strDumpPrefix.size() + 1);
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    g_utcOffset = local.tm_gmtoff;
    // The first backtrace loads the unwinder; it must not happen inside the handler.
    void* warmUp[1];
    backtrace(warmUp, 1);
    PrepareThreadForCrashReports();

    struct sigaction action {};
    action.sa_sigaction = &OnFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < kSignalCount; ++i) {
        if (sigaction(kSignals[i], &action, &g_previous[i]) != 0) {
            for (size_t j = 0; j < i; ++j) {
                sigaction(kSignals[j], &g_previous[j], nullptr);
            }
            return false;
        }
    }
    g_installed = true;
    return true;
}

void RestoreCrashHandler() {
    if (!g_installed) {
        return;
    }
    for (size_t i = 0; i < kSignalCount; ++i) {
        sigaction(kSignals[i], &g_previous[i], nullptr);
    }
    g_installed = false;
}
