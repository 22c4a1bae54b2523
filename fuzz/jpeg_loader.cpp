// Decodes arbitrary bytes as a JPEG: the signature test, the header, and
// frames cut in a grid (plain, alpha-only and padded, by the input's length).
#include <climits>
#include <cstddef>
#include <cstdint>

#include "engine/core/SmartPtr.h"
#include "engine/graphics/ImageLoaderJPG.h"
#include "fuzz/ExerciseImageLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > INT_MAX)
        return 0;
    ZQ2::ImageLoaderJPG::FileIsJpeg(data, size);
    ZQ2::SmartPtr<ZQ2::ImageLoaderJPG> loader(new ZQ2::ImageLoaderJPG);
    ExerciseImageLoader(*loader, data, size, "fuzz.jpg");
    return 0;
}
