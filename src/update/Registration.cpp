#include "update/Registration.h"

#include "app/CLocalLog.h"
#include "platform/ErrorCodes.h"
#include "platform/StringUtil.h"

bool QueryRegistryKey(const platform::UninstallKey& key, std::string_view valueName,
                      std::string& value) {
    value.clear();
    std::string text;
    const long result = key.QueryValue(valueName, text);
    if (result != platform::kErrorSuccess) {
        LOG_ERROR("CGameRemoteConfig::QueryRegistryKey",
                  platform::Format("QueryRegistryKey lret:%ld error:%d", result, key.LastError()));
        return false;
    }
    // A registry string ends at its first null.
    value = text.substr(0, text.find('\0'));
    return true;
}
