#pragma once
// Sources for a fake machine whose files the test writes below `root`.

#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "net/CMachineInfo.h"

namespace nettest {

// 8192 MiB of RAM and 1024 MiB of swap, in pages of 4096 bytes.
inline MachineSources FakeSources(const std::filesystem::path& root,
                                  std::optional<std::string> release = "6.1.0-18-amd64",
                                  bool sysinfoWorks = true) {
    MachineSources sources;
    sources.root = root;
    sources.readUname = [release](struct utsname* name) {
        if (!release) {
            return -1;
        }
        std::strncpy(name->release, release->c_str(), sizeof name->release - 1);
        return 0;
    };
    sources.readSysinfo = [sysinfoWorks](struct sysinfo* info) {
        if (!sysinfoWorks) {
            return -1;
        }
        info->totalram = 2097152;
        info->totalswap = 262144;
        info->mem_unit = 4096;
        return 0;
    };
    return sources;
}

}  // namespace nettest
