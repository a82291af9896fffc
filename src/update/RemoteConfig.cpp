#include "update/RemoteConfig.h"

#include <cstring>

bool RemoteConfigMap::FindConfigValue(std::string_view key, std::string* value) const {
    const auto it = m_entries.find(key);
    if (it == m_entries.end()) {
        return false;
    }
    if (value != nullptr) {
        *value = it->second;
    }
    return true;
}

std::string RemoteConfigMap::GetEntryUrl() const {
    std::string value;
    FindConfigValue("EntryUrl", &value);
    return value;
}

std::string RemoteConfigMap::GetCustomParameters() const {
    std::string value;
    FindConfigValue("CustomParameters", &value);
    return value;
}

void RemoteConfigMap::Store(std::string key, std::string value) {
    m_entries.emplace(std::move(key), std::move(value));
}

size_t OnConfigWrite(char* data, size_t size, size_t count, void* buffer) {
    if (buffer == nullptr) {
        return 0;
    }
    const size_t total = size * count;
    if (data != nullptr && total > 0) {
        const void* nul = std::memchr(data, '\0', total);
        const size_t used =
            nul != nullptr ? static_cast<size_t>(static_cast<const char*>(nul) - data) : total;
        static_cast<std::string*>(buffer)->append(data, used);
    }
    return total;
}

namespace {

// One line of the text: the key before the first '=', the value up to a second '='.
struct Piece {
    std::string_view key;
    std::string_view value;
    bool hasValue = false;
};

Piece SplitPiece(std::string_view piece) {
    Piece out;
    const size_t first = piece.find('=');
    if (first == std::string_view::npos) {
        out.key = piece;
        return out;
    }
    out.key = piece.substr(0, first);
    std::string_view rest = piece.substr(first + 1);
    const size_t second = rest.find('=');
    out.value = second == std::string_view::npos ? rest : rest.substr(0, second);
    out.hasValue = true;
    return out;
}

}  // namespace

void ParseRemoteConfig(std::string_view text, RemoteConfigMap& map) {
    size_t start = 0;
    for (size_t index = 0;; ++index) {
        const size_t end = text.find('\n', start);
        const std::string_view line = text.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        const Piece piece = SplitPiece(line);
        if (piece.hasValue) {
            map.Store(std::string(piece.key), std::string(piece.value));
        } else if (index > 0) {
            return;
        }
        if (end == std::string_view::npos) {
            return;
        }
        start = end + 1;
    }
}
