// Decodes arbitrary bytes as a JPEG: the signature test, the header, and
// frames cut in a grid (plain, alpha-only and padded, by the input's length).
#include <climits>
#include <cstddef>
#include <cstdint>

#include "engine/core/SmartPtr.h"
#include "engine/io/ImageLoaderJPG.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > INT_MAX)
        return 0;
    ZQ2::ImageLoaderJPG::FileIsJpeg(data, size);
    ZQ2::SmartPtr<ZQ2::ImageLoaderJPG> loader(new ZQ2::ImageLoaderJPG);
    loader->SetDrawSettings(size ? data : nullptr, static_cast<int>(size), "fuzz.jpg", static_cast<unsigned>(size % 4));
    int width = 0;
    int height = 0;
    loader->GetImageDimensions(width, height);
    loader->SetFrameCount(1 + static_cast<int>(size % 3));
    loader->SetColumnCount(1 + static_cast<int>(size % 2));
    loader->Load();
    return 0;
}
