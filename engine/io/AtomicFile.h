#pragma once
// Replaces a file in one step: the new content goes to a temporary file in
// the same folder, reaches the disk, and is renamed over the old file. A
// crash or a full disk leaves either the old file or the new one, never half.
#include <string>

namespace ZQ2 {

class AtomicFile {
public:
    // False when anything failed; the old file is then untouched.
    static bool Write(const std::string& path, const void* data, size_t size, int mode = 0666);
};

}  // namespace ZQ2
