#include "platform/UninstallKey.h"

#include <cerrno>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/ErrorCodes.h"
#include "platform/KeyFileValue.h"

namespace platform {
namespace fs = std::filesystem;

namespace {

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) {
            end = text.size();
        }
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 1;
    }
    return lines;
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool IsGroupHeader(std::string_view line) {
    line = TrimBlanks(line);
    return line.size() >= 2 && line.front() == '[' && line.back() == ']';
}

// Index range [first, last) of the lines that belong to `group`, header excluded;
// first == npos when the group is absent.
std::pair<size_t, size_t> FindGroup(const std::vector<std::string>& lines,
                                    const std::string& group) {
    const std::string header = "[" + group + "]";
    for (size_t i = 0; i < lines.size(); ++i) {
        if (TrimBlanks(lines[i]) == header) {
            size_t end = i + 1;
            while (end < lines.size() && !IsGroupHeader(lines[end])) {
                ++end;
            }
            return {i + 1, end};
        }
    }
    return {std::string::npos, std::string::npos};
}

bool SplitEntry(std::string_view line, std::string_view& name, std::string_view& rawValue) {
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
        return false;
    }
    name = TrimBlanks(line.substr(0, eq));
    rawValue = line.substr(eq + 1);
    while (!rawValue.empty() && (rawValue.front() == ' ' || rawValue.front() == '\t')) {
        rawValue.remove_prefix(1);
    }
    return true;
}

bool ValidName(std::string_view name) {
    return !name.empty() && name.find_first_of("=[]\n\r") == std::string_view::npos &&
           TrimBlanks(name) == name;
}

}  // namespace

UninstallKey::UninstallKey(fs::path file, std::string group)
    : m_file(std::move(file)), m_group(std::move(group)) {}

UninstallKey UninstallKey::ForUser(const UserLocations& locations) {
    return UninstallKey(locations.dataHome / "vorn_lunet" / "uninstall.ini", "vorn_lunet");
}

long UninstallKey::Load(std::string& text) const {
    std::ifstream in(m_file, std::ios::binary);
    if (!in) {
        m_lastError = errno != 0 ? errno : ENOENT;
        std::error_code ec;
        if (!fs::exists(m_file, ec)) {
            m_lastError = ENOENT;
        }
        return ToSystemCode(m_lastError);
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) {
        m_lastError = EIO;
        return kErrorGeneric;
    }
    text = buffer.str();
    return kErrorSuccess;
}

long UninstallKey::Store(const std::string& text) {
    std::error_code error;
    if (!WriteFileAtomically(m_file, text, error, 0600)) {
        m_lastError = error.value();
        return ToSystemCode(error);
    }
    m_lastError = 0;
    return kErrorSuccess;
}

long UninstallKey::CreateKey() {
    std::error_code error;
    fs::create_directories(m_file.parent_path(), error);
    if (error) {
        m_lastError = error.value();
        return ToSystemCode(error);
    }
    std::string text;
    const long loaded = Load(text);
    if (loaded == kErrorFileNotFound) {
        return Store("[" + m_group + "]\n");
    }
    if (loaded != kErrorSuccess) {
        return loaded;
    }
    if (FindGroup(SplitLines(text), m_group).first != std::string::npos) {
        m_lastError = 0;
        return kErrorSuccess;
    }
    if (!text.empty() && text.back() != '\n') {
        text += '\n';
    }
    return Store(text + "[" + m_group + "]\n");
}

long UninstallKey::SetValue(std::string_view name, std::string_view value) {
    if (!ValidName(name)) {
        m_lastError = EINVAL;
        return kErrorInvalidParameter;
    }
    std::string text;
    if (const long loaded = Load(text); loaded != kErrorSuccess) {
        return loaded;
    }
    std::vector<std::string> lines = SplitLines(text);
    auto [first, last] = FindGroup(lines, m_group);
    if (first == std::string::npos) {
        m_lastError = ENOENT;
        return kErrorFileNotFound;
    }
    const std::string entry = std::string(name) + "=" + EscapeKeyFileValue(value);
    bool replaced = false;
    for (size_t i = first; i < last; ++i) {
        std::string_view entryName, raw;
        if (SplitEntry(lines[i], entryName, raw) && entryName == name) {
            lines[i] = entry;
            replaced = true;
            break;
        }
    }
    if (!replaced) {
        // After the group's last entry, before any blank lines that separate the next group.
        size_t at = last;
        while (at > first && TrimBlanks(lines[at - 1]).empty()) {
            --at;
        }
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), entry);
    }
    std::string out;
    for (const auto& line : lines) {
        out += line;
        out += '\n';
    }
    return Store(out);
}

long UninstallKey::QueryValue(std::string_view name, std::string& value) const {
    std::string text;
    if (const long loaded = Load(text); loaded != kErrorSuccess) {
        return loaded;
    }
    const std::vector<std::string> lines = SplitLines(text);
    auto [first, last] = FindGroup(lines, m_group);
    if (first != std::string::npos) {
        for (size_t i = first; i < last; ++i) {
            std::string_view entryName, raw;
            if (SplitEntry(lines[i], entryName, raw) && entryName == name) {
                value = UnescapeKeyFileValue(raw);
                m_lastError = 0;
                return kErrorSuccess;
            }
        }
    }
    m_lastError = ENOENT;
    return kErrorFileNotFound;
}

long UninstallKey::DeleteKey() {
    std::error_code error;
    if (!fs::remove(m_file, error)) {
        m_lastError = error ? error.value() : ENOENT;
        return error ? ToSystemCode(error) : kErrorFileNotFound;
    }
    // The folder exists only for the key; leave nothing behind when it is empty now.
    fs::remove(m_file.parent_path(), error);
    m_lastError = 0;
    return kErrorSuccess;
}

}  // namespace platform
