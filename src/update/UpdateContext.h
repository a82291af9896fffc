#pragma once
// Everything the update chain is given from outside: where the game lives, who the user is,
// what to report to, and the limits of its transfers.

#include <chrono>
#include <filesystem>
#include <string>

#include "net/IWebReporter.h"
#include "platform/UninstallKey.h"
#include "platform/UserLocations.h"

struct UpdateContext {
    std::filesystem::path installDir;     // holds the package, the record, the launcher copy
    std::filesystem::path clientDir;      // <install>/client: the extracted game
    std::filesystem::path ownExecutable;  // the running launcher, copied into installDir
    std::string configUrl;                // the configuration address, "{ditch_name}" allowed
    platform::UserLocations locations;    // desktop and menu folders
    platform::UninstallKey uninstallKey;  // the uninstall entry
    IWebReporter& reporter;
    bool system64Bit = true;  // picks ClientDownloadUrl (64-bit) or Client32DownloadUrl
    // A server that does not accept the connection in this time, or sends no byte for the stall
    // time, ends the transfer as failed instead of holding the update for ever.
    std::chrono::milliseconds connectTimeout{15000};
    std::chrono::milliseconds stallTimeout{30000};
    // The launcher's icon as PNG bytes, written beside the launcher copy for the shortcuts;
    // empty: the shortcuts use a theme icon.
    std::string iconPng;

    // The running launcher's context: the build's configuration address, the current user's
    // locations and uninstall key, /proc/self/exe and the system's width.
    static UpdateContext ForLauncher(std::filesystem::path installDir,
                                     std::filesystem::path clientDir, IWebReporter& reporter);
};
