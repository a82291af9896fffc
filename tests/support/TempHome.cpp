#include "support/TempHome.h"

#include <stdlib.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "app/CLocalLog.h"

namespace testsupport {
namespace fs = std::filesystem;

TempHome::TempHome() {
    std::string pattern = (fs::temp_directory_path() / "launcher-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    m_root = pattern;
    fs::create_directories(Home());
    fs::create_directories(RuntimeDir());
    setenv("HOME", Home().c_str(), 1);
    setenv("XDG_RUNTIME_DIR", RuntimeDir().c_str(), 1);
    unsetenv("XDG_STATE_HOME");
    unsetenv("XDG_DATA_HOME");
    unsetenv("XDG_CONFIG_HOME");
}

TempHome::~TempHome() {
    std::error_code ignored;
    // Tests may leave read-only folders behind; make them writable so that removal succeeds.
    for (auto it = fs::recursive_directory_iterator(m_root, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        }
    }
    fs::remove_all(m_root, ignored);
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFile(const fs::path& path, const std::string& content) {
    if (path.has_parent_path()) {
        fs::create_directories(path.parent_path());
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

std::string LogText() {
    CLocalLog::Instance().Flush();
    return ReadFile(CLocalLog::Instance().Path());
}

}  // namespace testsupport
