#include "update/ClientVersion.h"

#include <cstdio>
#include <string>

#include "app/CLocalLog.h"
#include "platform/StringUtil.h"
#include "update/RemoteConfig.h"

void CStringToLocalClientVersion(LocalClientVersion& version, std::string_view text) {
    LOG_INFO("CGameRemoteConfig::CStringToLocalClientVersion",
             "local_client_version:" + std::string(text));
    std::int32_t parts[4] = {0, 0, 0, 0};
    size_t start = 0;
    for (int i = 0; i < 4 && start <= text.size(); ++i) {
        size_t dot = text.find('.', start);
        if (dot == std::string_view::npos) {
            dot = text.size();
        }
        parts[i] = platform::ParseDecimal32(text.substr(start, dot - start));
        start = dot + 1;
    }
    version.major = parts[0];
    version.minor = parts[1];
    version.revision = parts[2];
    version.build = parts[3];
}

bool IsOlderVersion(const LocalClientVersion& a, const LocalClientVersion& b) {
    if (a.major != b.major)
        return a.major < b.major;
    if (a.minor != b.minor)
        return a.minor < b.minor;
    if (a.revision != b.revision)
        return a.revision < b.revision;
    return a.build < b.build;
}

std::filesystem::path LocalClientVersionPath(const std::filesystem::path& clientDir) {
    return clientDir / "game_client_version.txt";
}

void ReadLocalClientVersion(const std::filesystem::path& clientDir, InstalledClientState& state) {
    const std::filesystem::path path = LocalClientVersionPath(clientDir);
    LOG_INFO("CGameRemoteConfig::InitRemoteConfig", path.string());
    FILE* file = std::fopen(path.c_str(), "re");
    if (file == nullptr) {
        state.versionFileMissing = true;
        return;
    }
    char line[64] = {};
    std::string text;
    if (std::fgets(line, sizeof line, file) != nullptr) {
        text = line;
    }
    std::fclose(file);
    CStringToLocalClientVersion(state.installedVersion, text);
}

void WriteLocalClientVersion(const std::filesystem::path& clientDir,
                             const RemoteConfigMap& config) {
    FILE* file = std::fopen(LocalClientVersionPath(clientDir).c_str(), "we");
    if (file == nullptr) {
        return;
    }
    std::string version;
    if (config.FindConfigValue("ClientVersion", &version)) {
        std::fwrite(version.data(), 1, version.size(), file);
    }
    std::fclose(file);
}
