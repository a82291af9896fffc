#pragma once
// A private world for one test: a fresh temporary folder as HOME, with the XDG variables
// pointing into it, removed again at the end of the test.

#include <filesystem>
#include <string>

namespace testsupport {

class TempHome {
  public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    const std::filesystem::path& Root() const { return m_root; }
    std::filesystem::path Home() const { return m_root / "home"; }
    std::filesystem::path StateHome() const { return Home() / ".local/state"; }
    std::filesystem::path DataHome() const { return Home() / ".local/share"; }
    std::filesystem::path ConfigHome() const { return Home() / ".config"; }
    std::filesystem::path RuntimeDir() const { return m_root / "run"; }

  private:
    std::filesystem::path m_root;
};

// The whole content of a file ("" when it cannot be read).
std::string ReadFile(const std::filesystem::path& path);
// Creates or replaces a file (and its parent folders) with `content`.
void WriteFile(const std::filesystem::path& path, const std::string& content);

// The process log's content so far (flushed first).
std::string LogText();

}  // namespace testsupport
