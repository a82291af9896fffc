#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string_view>
#include <system_error>

namespace platform {

// Replaces `target` with `bytes` so that a reader (or a crash) sees either the old file or the
// new one, never a partial write: a temporary file in the same folder, flushed, then renamed.
bool WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         std::error_code& error, mode_t mode = 0644);

// Replaces `target` with a byte copy of `source` in the same all-or-nothing way. A source and
// target that are the same file fail with ETXTBSY and leave it untouched.
bool CopyFileAtomically(const std::filesystem::path& source, const std::filesystem::path& target,
                        std::error_code& error, mode_t mode = 0644);

}  // namespace platform
