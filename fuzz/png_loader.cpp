// Decodes arbitrary bytes as a PNG: the header, frames cut in a grid (plain,
// alpha-only and padded, by the input's length) and masks of every type.
#include <climits>
#include <cstddef>
#include <cstdint>

#include "engine/core/SmartPtr.h"
#include "engine/graphics/ImageLoaderPNG.h"
#include "engine/io/DecodedPicture.h"
#include "fuzz/ExerciseImageLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > INT_MAX)
        return 0;
    ZQ2::SmartPtr<ZQ2::ImageLoaderPNG> loader(new ZQ2::ImageLoaderPNG);
    ExerciseImageLoader(*loader, data, size, "fuzz.png");

    ZQ2::DecodedPicture picture;
    if (ZQ2::ImageLoaderPNG::Decode(data, size, picture)) {
        ZQ2::ImageLoaderPNG::CreatePngMask(picture, ZQ2::MASKTYPE_ALPHA);
        ZQ2::ImageLoaderPNG::CreatePngMask(picture, ZQ2::MASKTYPE_COLORLUT);
    }
    return 0;
}
