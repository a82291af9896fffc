#pragma once
// The launcher's command line. It knows one switch, "/uninstall", which must be the whole tail.

#include <string>
#include <string_view>
#include <vector>

// What follows the program name: the arguments after argv[0] joined by one blank.
std::string CommandLineTail(const std::vector<std::string>& argv);

// The tail is "/uninstall" in any letter case, and nothing else.
bool IsUninstallCommand(std::string_view tail);
