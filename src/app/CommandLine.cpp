#include "app/CommandLine.h"

#include "platform/StringUtil.h"

std::string CommandLineTail(const std::vector<std::string>& argv) {
    std::string tail;
    for (size_t i = 1; i < argv.size(); ++i) {
        if (i > 1) {
            tail += ' ';
        }
        tail += argv[i];
    }
    return tail;
}

bool IsUninstallCommand(std::string_view tail) {
    return platform::EqualsIgnoreAsciiCase(tail, "/uninstall");
}
