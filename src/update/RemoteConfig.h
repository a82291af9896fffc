#pragma once
// The configuration text of the management server: key=value lines received over HTTP,
// parsed once into an ordered map that is read-only afterwards.

#include <cstddef>
#include <map>
#include <string>
#include <string_view>

class RemoteConfigMap {
  public:
    // Whether `key` is present (exact, case-sensitive); its value goes to `value` when given.
    // Presence is told apart from an empty value.
    bool FindConfigValue(std::string_view key, std::string* value = nullptr) const;
    // The value of EntryUrl / CustomParameters, or the empty string.
    std::string GetEntryUrl() const;
    std::string GetCustomParameters() const;

    // Inserts unless the key is present already: the first occurrence of a key wins.
    void Store(std::string key, std::string value);

    size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    const std::map<std::string, std::string, std::less<>>& Entries() const { return m_entries; }

  private:
    std::map<std::string, std::string, std::less<>> m_entries;
};

// Transfer-library write callback for the configuration fetch. `buffer` is the std::string
// that collects the text. Each chunk is appended up to its first NUL byte; since the bytes are
// kept as they are, a UTF-8 character split across two chunks comes out whole.
// Returns size * count, or 0 without a buffer (the transfer then fails).
size_t OnConfigWrite(char* data, size_t size, size_t count, void* buffer);

// Fills `map` from the whole received text. Lines are cut at LF only; nothing is trimmed.
// The first line without '=' is skipped; any later one ends the parsing.
void ParseRemoteConfig(std::string_view text, RemoteConfigMap& map);
