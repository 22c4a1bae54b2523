#pragma once
// The small readers every file-format loader needs: fields in either byte
// order, reads that must fill their buffer, the size of a file, and failing
// with an error number.
#include "aulos/ausnd.h"
#include "aulos/ausnd_device.h"
#include "aulos/system_file.h"

#include <cstdint>

namespace aulos_format
{
inline bool Fail(int error)
{
    AUSND_ErrorNo = error;
    return false;
}

inline uint16_t LE16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t LE32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

inline uint16_t BE16(const uint8_t* p)
{
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

inline uint32_t BE32(const uint8_t* p)
{
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

inline bool ReadExactly(AUSND_FILE* file, void* buffer, int bytes)
{
    return bytes == 0 || AUSND_File_Read(buffer, 1, bytes, file) == bytes;
}

inline bool ReadExactly(AUSND_FILE* file, void* buffer, uint32_t bytes)
{
    return ReadExactly(file, buffer, static_cast<int>(bytes));
}

// Bytes from the file's current start offset to the end of its data or window.
inline int64_t FileSize(AUSND_FILE* file)
{
    const int here = AUSND_File_Tell(file);
    AUSND_File_Seek(file, 0, 2);
    const int64_t size = AUSND_File_Tell(file);
    AUSND_File_Seek(file, here, 0);
    return size;
}
} // namespace aulos_format
