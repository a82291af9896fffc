#include "net/CMachineInfo.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string_view>
#include <vector>

#include "net/Md5.h"
#include "platform/NoDestructor.h"
#include "platform/StringUtil.h"

namespace {

namespace fs = std::filesystem;
constexpr const char* kUnknown = "unkown";

// The whole file; false when it is missing or cannot be read (a folder, no permission).
bool ReadWholeFile(const fs::path& path, std::string& out) {
    out.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    char buffer[4096];
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            out.append(buffer, static_cast<size_t>(n));
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            ok = false;
            break;
        }
    }
    ::close(fd);
    if (!ok) {
        out.clear();
    }
    return ok;
}

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 1;
    }
    return lines;
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t pos = 0;
    while (pos < line.size()) {
        const size_t begin = line.find_first_not_of(" \t", pos);
        if (begin == std::string_view::npos) {
            break;
        }
        size_t end = line.find_first_of(" \t", begin);
        if (end == std::string_view::npos) {
            end = line.size();
        }
        fields.push_back(line.substr(begin, end - begin));
        pos = end;
    }
    return fields;
}

std::string StripNewline(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}

// "model name\t: <value>" of the first processor; the value keeps its own blanks.
std::string ReadCpuName(const fs::path& root) {
    std::string text;
    if (!ReadWholeFile(root / "proc/cpuinfo", text)) {
        return {};
    }
    for (const std::string_view line : Lines(text)) {
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos) {
            continue;
        }
        std::string_view key = line.substr(0, colon);
        while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) {
            key.remove_suffix(1);
        }
        if (key != "model name") {
            continue;
        }
        std::string_view value = line.substr(colon + 1);
        if (!value.empty() && value.front() == ' ') {
            value.remove_prefix(1);  // the separator's blank, not part of the name
        }
        return std::string(value);
    }
    return {};
}

bool ParseHexByte(std::string_view text, unsigned& value) {
    if (text.size() != 2) {
        return false;
    }
    value = 0;
    for (const char c : text) {
        value <<= 4;
        if (c >= '0' && c <= '9') {
            value |= static_cast<unsigned>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            value |= static_cast<unsigned>(c - 'a' + 10);
        } else if (c >= 'A' && c <= 'F') {
            value |= static_cast<unsigned>(c - 'A' + 10);
        } else {
            return false;
        }
    }
    return true;
}

// "aa:bb:cc:dd:ee:ff" → "AA-BB-CC-DD-EE-FF"; false for anything else (no hardware address).
bool FormatMac(std::string_view address, std::string& out) {
    unsigned bytes[6];
    for (int i = 0; i < 6; ++i) {
        if (!ParseHexByte(address.substr(0, 2), bytes[i])) {
            return false;
        }
        address.remove_prefix(2);
        if (i < 5) {
            if (address.empty() || address.front() != ':') {
                return false;
            }
            address.remove_prefix(1);
        }
    }
    if (!address.empty()) {
        return false;
    }
    out = platform::Format("%02X-%02X-%02X-%02X-%02X-%02X", bytes[0], bytes[1], bytes[2], bytes[3],
                           bytes[4], bytes[5]);
    return true;
}

bool IsAllZeroHex(std::string_view text) {
    return !text.empty() && text.find_first_not_of('0') == std::string_view::npos;
}

// The adapter that reaches the outside: the first default route whose gateway is set.
std::string ReadMacAddress(const fs::path& root) {
    std::string routes;
    if (!ReadWholeFile(root / "proc/net/route", routes)) {
        return kUnknown;
    }
    const std::vector<std::string_view> lines = Lines(routes);
    for (size_t i = 1; i < lines.size(); ++i) {  // line 0 names the columns
        const std::vector<std::string_view> f = Fields(lines[i]);
        // Iface Destination Gateway Flags RefCnt Use Metric Mask ...
        if (f.size() < 8 || !IsAllZeroHex(f[1]) || !IsAllZeroHex(f[7]) || IsAllZeroHex(f[2])) {
            continue;
        }
        const std::string_view iface = f[0];
        if (iface == "." || iface == ".." || iface.find('/') != std::string_view::npos) {
            continue;
        }
        std::string address;
        std::string mac;
        if (ReadWholeFile(root / "sys/class/net" / std::string(iface) / "address", address) &&
            FormatMac(StripNewline(address), mac)) {
            return mac;
        }
        // An interface without a hardware address (a tunnel) cannot name the machine.
    }
    return kUnknown;
}

// The kernel release's leading numbers, "6.1.0-18-amd64" → 6, 1, 0.
std::string ReadOsText(const std::function<int(struct utsname*)>& readUname) {
    struct utsname name {};
    if (!readUname || readUname(&name) != 0) {
        return kUnknown;
    }
    std::string_view release(name.release);
    int numbers[3] = {0, 0, 0};
    int parsed = 0;
    while (parsed < 3 && !release.empty() && release.front() >= '0' && release.front() <= '9') {
        numbers[parsed++] = platform::ParseDecimal32(release);
        const size_t end = release.find_first_not_of("0123456789");
        if (end == std::string_view::npos || release[end] != '.') {
            break;
        }
        release.remove_prefix(end + 1);
    }
    if (parsed == 0) {
        return kUnknown;
    }
    return platform::Format("Version major:%d minor:%d build:%d", numbers[0], numbers[1],
                            numbers[2]);
}

std::string ReadMemoryText(const std::function<int(struct sysinfo*)>& readSysinfo) {
    struct sysinfo info {};
    if (!readSysinfo || readSysinfo(&info) != 0) {
        info = {};
    }
    const std::uint64_t unit = info.mem_unit != 0 ? info.mem_unit : 1;
    const std::uint64_t physical = static_cast<std::uint64_t>(info.totalram) * unit;
    const std::uint64_t swap = static_cast<std::uint64_t>(info.totalswap) * unit;
    return platform::Format("physical memory:%ld MB virtual memory:%ld MB",
                            static_cast<long>(physical >> 20),
                            static_cast<long>((physical + swap) >> 20));
}

std::string ReadSerial(const fs::path& path) {
    std::string text;
    ReadWholeFile(path, text);  // unreadable (usually root-only): empty
    return StripNewline(std::move(text));
}

std::string ReadClientUid(const fs::path& root) {
    const std::string board = ReadSerial(root / "sys/class/dmi/id/board_serial");
    const std::string bios = ReadSerial(root / "sys/class/dmi/id/product_serial");
    std::string os;
    if (!ReadWholeFile(root / "etc/machine-id", os)) {
        return kUnknown;
    }
    os = StripNewline(std::move(os));
    if (os.empty()) {
        return kUnknown;  // an uninitialised machine id names no system
    }
    return MakeMd5Hex(board + bios + os);
}

}  // namespace

const CMachineInfo& CMachineInfo::Instance() {
    static platform::NoDestructor<const CMachineInfo> instance{MachineSources{}};
    return *instance;
}

CMachineInfo::CMachineInfo(const MachineSources& sources) {
    cpuName = ReadCpuName(sources.root);
    macAddress = ReadMacAddress(sources.root);
    osText = ReadOsText(sources.readUname);
    memoryText = ReadMemoryText(sources.readSysinfo);
    clientUid = ReadClientUid(sources.root);
    osText += cpuName;
    osText += memoryText;
}
