#pragma once
// Result codes in the numbering of the Windows system errors, because the logs and the callers
// of the key store compare with them (0 success, 2 not found).

#include <system_error>

namespace platform {

inline constexpr long kErrorSuccess = 0;
inline constexpr long kErrorFileNotFound = 2;
inline constexpr long kErrorPathNotFound = 3;
inline constexpr long kErrorAccessDenied = 5;
inline constexpr long kErrorInvalidData = 13;
// A file in use by a running process, e.g. a program copied onto itself.
inline constexpr long kErrorSharingViolation = 32;
inline constexpr long kErrorInvalidParameter = 87;
inline constexpr long kErrorDiskFull = 112;
inline constexpr long kErrorGeneric = 1;

// Maps an errno-style error to the numbering above.
long ToSystemCode(const std::error_code& error);
long ToSystemCode(int errnoValue);

}  // namespace platform
