#include "platform/SystemInfo.h"

#include <sys/utsname.h>

namespace platform {

std::string MachineName() {
    utsname name{};
    if (uname(&name) != 0) {
        return {};
    }
    return name.machine;
}

bool IsSystem64Bit(std::string_view machine) {
    // x86_64, aarch64, ppc64(le), riscv64, mips64, sparc64, loongarch64, ia64 carry the width
    // in their names; these two do not.
    return machine.find("64") != std::string_view::npos || machine == "s390x" || machine == "alpha";
}

bool IsSystem64Bit() {
    return IsSystem64Bit(MachineName());
}

}  // namespace platform
