#include "support/Undeletable.h"

#include <unistd.h>

#include <system_error>

#include "support/Programs.h"

namespace testsupport {
namespace fs = std::filesystem;

Undeletable::Undeletable(fs::path file) : m_file(std::move(file)) {
    const ProgramResult immutable = RunProgram({"chattr", "+i", m_file.string()});
    if (immutable.exitCode == 0) {
        m_how = How::Immutable;
        return;
    }
    if (geteuid() != 0) {
        std::error_code error;
        fs::permissions(m_file.parent_path(), fs::perms::owner_write | fs::perms::group_write,
                        fs::perm_options::remove, error);
        if (!error) {
            m_how = How::ReadOnlyFolder;
            return;
        }
    }
    m_reason = "cannot make " + m_file.string() + " undeletable: chattr +i failed (" +
               immutable.output + ") and the test runs as root, whom permissions do not stop";
}

Undeletable::~Undeletable() {
    Undo();
}

void Undeletable::Undo() {
    if (m_how == How::Immutable) {
        RunProgram({"chattr", "-i", m_file.string()});
    } else if (m_how == How::ReadOnlyFolder) {
        std::error_code error;
        fs::permissions(m_file.parent_path(), fs::perms::owner_write, fs::perm_options::add, error);
    }
    m_how = How::None;
}

}  // namespace testsupport
