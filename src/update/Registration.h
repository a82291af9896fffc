#pragma once
// The installation's registration: the per-user uninstall entry, the launcher copy and the
// shortcuts that point at it.

#include <string>
#include <string_view>

#include "platform/UninstallKey.h"

// Reads one value of the uninstall entry as text. A missing key or value gives the empty text
// and one ERROR line "QueryRegistryKey lret:%d error:%d". Returns whether the value was read.
bool QueryRegistryKey(const platform::UninstallKey& key, std::string_view valueName,
                      std::string& value);
