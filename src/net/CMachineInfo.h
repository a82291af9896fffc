#pragma once
// The machine record that every web report carries, gathered once per process:
//   cpuName     "model name" of the first processor in proc/cpuinfo, as stored, or empty;
//   macAddress  the adapter of the first default route with a non-zero gateway, from
//               sys/class/net/<if>/address as "%02X-%02X-%02X-%02X-%02X-%02X", or "unkown";
//   osText      "Version major:%d minor:%d build:%d" from the kernel release (or "unkown"),
//               followed directly by cpuName and memoryText;
//   memoryText  "physical memory:%ld MB virtual memory:%ld MB" (RAM, RAM + swap);
//   clientUid   MakeMd5Hex(board serial + product serial + machine id), or "unkown" when
//               there is no machine id; an unreadable serial counts as empty.

#include <sys/sysinfo.h>
#include <sys/utsname.h>

#include <filesystem>
#include <functional>
#include <string>

// Where the facts come from, so that tests can build a fake machine.
struct MachineSources {
    // Files are read below this folder: proc/cpuinfo, proc/net/route, sys/class/net/...,
    // sys/class/dmi/id/board_serial, sys/class/dmi/id/product_serial, etc/machine-id.
    std::filesystem::path root = "/";
    std::function<int(struct utsname*)> readUname = ::uname;
    std::function<int(struct sysinfo*)> readSysinfo = ::sysinfo;
};

class CMachineInfo {
  public:
    // The record of this machine, built by the first caller while any other waits; it is
    // never changed afterwards and lives until the process has ended.
    static const CMachineInfo& Instance();

    explicit CMachineInfo(const MachineSources& sources);

    std::string cpuName;
    std::string macAddress;
    std::string osText;
    std::string memoryText;
    std::string clientUid;
};
