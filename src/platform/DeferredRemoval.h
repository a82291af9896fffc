#pragma once
// Removal of a whole directory by a detached process once a given process has ended: how the
// uninstall takes away the folder that holds the running launcher's own executable. A removal
// this wide is only started for a directory that can be told apart from the user's own folders.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

enum class RemovalCheck {
    Allowed,
    NotAbsolute,      // empty or relative: it would depend on the working folder
    NotADirectory,    // missing, a file, or a symbolic link
    FileSystemRoot,   // "/" or the root of any mounted file system
    HomeOrAncestor,   // the user's home or a folder above it
    NoRequiredEntry,  // the file that marks the folder as the launcher's is not in it
};

// A short English reason for the logs ("" for Allowed).
std::string_view RemovalCheckText(RemovalCheck check);

// Whether `directory` is a place where removing everything below it could take the user's own
// data: a relative path, a file-system root, `home` or a folder above it. Symbolic links are
// resolved for the comparison. An empty `home` is not compared.
RemovalCheck CheckDirectoryLocation(const std::filesystem::path& directory,
                                    const std::filesystem::path& home);

// CheckDirectoryLocation, and `directory` must be a real directory (not a link to one) that
// holds the regular file `requiredEntry` (not checked when empty).
RemovalCheck CheckRemovableDirectory(const std::filesystem::path& directory,
                                     const std::filesystem::path& home,
                                     std::string_view requiredEntry);

struct DeferredRemoval {
    std::filesystem::path directory;
    std::filesystem::path home;  // never removed, nor any folder above it
    std::string requiredEntry;   // must lie in `directory`, e.g. the launcher's copy
    pid_t waitFor = -1;          // the process whose end the removal waits for
    // Past this the removal goes ahead even though the process still runs.
    std::chrono::milliseconds longestWait{5000};
};

struct DeferredRemovalResult {
    RemovalCheck check = RemovalCheck::Allowed;
    bool started = false;
    pid_t pid = -1;  // the removing process, a child of the caller until the caller ends
    int error = 0;   // errno when it could not be started
};

// Checks the directory with CheckRemovableDirectory and, when allowed, starts a /bin/sh in a
// session of its own, with its standard streams on /dev/null and no other descriptors of the
// caller, that waits until `waitFor` has ended (an ended process its parent has not reaped yet
// counts as ended) or `longestWait` has passed, then removes the directory recursively without
// following symbolic links. The pid and the path reach the shell as arguments, never as part of
// its script, so no character of the path is interpreted.
DeferredRemovalResult ScheduleDirectoryRemoval(const DeferredRemoval& removal);

}  // namespace platform
