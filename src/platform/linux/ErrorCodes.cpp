#include "platform/ErrorCodes.h"

#include <cerrno>

namespace platform {

long ToSystemCode(int errnoValue) {
    switch (errnoValue) {
        case 0:
            return kErrorSuccess;
        case ENOENT:
            return kErrorFileNotFound;
        case ENOTDIR:
            return kErrorPathNotFound;
        case EACCES:
        case EPERM:
        case EROFS:
            return kErrorAccessDenied;
        case ETXTBSY:
        case EBUSY:
            return kErrorSharingViolation;
        case ENOSPC:
        case EDQUOT:
            return kErrorDiskFull;
        default:
            return kErrorGeneric;
    }
}

long ToSystemCode(const std::error_code& error) {
    if (!error) {
        return kErrorSuccess;
    }
    return ToSystemCode(error.value());
}

}  // namespace platform
