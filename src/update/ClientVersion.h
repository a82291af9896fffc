#pragma once
// Client version numbers (four signed 32-bit components) and the installed-version file.

#include <cstdint>
#include <filesystem>
#include <string_view>

class RemoteConfigMap;

struct LocalClientVersion {
    std::int32_t major = 0;
    std::int32_t minor = 0;
    std::int32_t revision = 0;
    std::int32_t build = 0;

    friend bool operator==(const LocalClientVersion&, const LocalClientVersion&) = default;
};

// Parses "a.b.c.d" (missing pieces 0, extra pieces ignored, each piece converted like strtol
// and clamped to 32 bits) into all four fields, and logs the text it was given.
void CStringToLocalClientVersion(LocalClientVersion& version, std::string_view text);

// True when `a` is older than `b`: major, minor, revision, build compared as signed numbers.
bool IsOlderVersion(const LocalClientVersion& a, const LocalClientVersion& b);

// What the installed-version file says: the version, and whether the file was missing
// (a first installation).
struct InstalledClientState {
    LocalClientVersion installedVersion;
    bool versionFileMissing = false;
};

// <client dir>/game_client_version.txt
std::filesystem::path LocalClientVersionPath(const std::filesystem::path& clientDir);

// Reads the first line (at most 63 bytes, a line feed kept) of the version file into
// `state.installedVersion`, or sets `state.versionFileMissing` when it cannot be opened.
void ReadLocalClientVersion(const std::filesystem::path& clientDir, InstalledClientState& state);

// Writes the ClientVersion value, exactly as configured and without a line end, into the
// version file; nothing is logged when the file cannot be opened.
void WriteLocalClientVersion(const std::filesystem::path& clientDir, const RemoteConfigMap& config);
