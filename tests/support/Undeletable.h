#pragma once
// Makes one file impossible to delete for a while, also for root, whom permissions do not stop:
// the immutable attribute where the file system has it; for another user, a folder around it
// without write permission. Undone at destruction.

#include <filesystem>
#include <string>

namespace testsupport {

class Undeletable {
  public:
    explicit Undeletable(std::filesystem::path file);
    ~Undeletable();
    Undeletable(const Undeletable&) = delete;
    Undeletable& operator=(const Undeletable&) = delete;

    bool Made() const { return m_how != How::None; }
    // Why it could not be made, for a skipped test.
    const std::string& Reason() const { return m_reason; }
    // Deletable again.
    void Undo();

  private:
    enum class How { None, Immutable, ReadOnlyFolder };
    std::filesystem::path m_file;
    How m_how = How::None;
    std::string m_reason;
};

}  // namespace testsupport
