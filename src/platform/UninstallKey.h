#pragma once
// The per-user uninstall entry: one group of name=value pairs in a key file. Every operation
// answers with the registry's result codes (0 success, 2 not found, see ErrorCodes.h), and
// every change rewrites the file atomically, so a crash never leaves half an entry.

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/UserLocations.h"

namespace platform {

class UninstallKey {
  public:
    UninstallKey(std::filesystem::path file, std::string group);

    // The launcher's own entry: <data home>/vorn_lunet/uninstall.ini, group [vorn_lunet].
    static UninstallKey ForUser(const UserLocations& locations);

    // Creates the key (its folder, file and group) when missing; an existing key is kept.
    long CreateKey();
    // Sets one value of an existing key; 2 when the key does not exist.
    long SetValue(std::string_view name, std::string_view value);
    // Reads one value; 2 when the key or the value does not exist.
    long QueryValue(std::string_view name, std::string& value) const;
    // Deletes the key with all its values; 2 when it does not exist.
    long DeleteKey();

    // errno of the last failed operation, 0 after a success (the "error:%d" of the logs).
    int LastError() const { return m_lastError; }
    const std::filesystem::path& File() const { return m_file; }

  private:
    long Load(std::string& text) const;
    long Store(const std::string& text);

    std::filesystem::path m_file;
    std::string m_group;
    mutable int m_lastError = 0;
};

}  // namespace platform
