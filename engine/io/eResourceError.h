#pragma once
// Why a resource failed to load. Each code has a fixed message
// (ResourceObject::GetErrorMessage).

namespace ZQ2 {

enum eResourceError : int {
    RESOURCE_ERROR_NONE = -1,
    RESOURCE_ERROR_UNSPECIFIED = 0,
    RESOURCE_ERROR_FILE_NOT_FOUND = 1,
    RESOURCE_ERROR_FILENAME_EMPTY = 2,
    RESOURCE_ERROR_INVALID_FORMAT = 3,
    RESOURCE_ERROR_SUBRESOURCE = 4,
    RESOURCE_ERROR_TOO_BIG = 5,
};

}  // namespace ZQ2
