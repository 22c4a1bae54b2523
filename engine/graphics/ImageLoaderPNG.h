#pragma once
// Reads PNG pictures through libpng: frames for image resources, and masks
// from a PNG's pixels. 16-bit channels, low bit depths, gray with alpha and
// transparency chunks are all brought to 8-bit samples first.
#include <cstddef>
#include <memory>
#include <string>

#include "engine/graphics/MaskData.h"
#include "engine/graphics/eMaskType.h"
#include "engine/graphics/iImageLoader.h"

namespace ZQ2 {

class ImageLoaderPNG : public iImageLoader {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    const RTTI& GetRTTI() const override { return rtti; }

    // The extension, lowered, contains "png".
    bool HandlesExtension(const std::string& file) override;
    bool GetImageDimensions(int& width, int& height) override;
    bool Load() override;
    // The plain file starts with the PNG signature; the archive is unused.
    bool CheckValidFile(const std::string& file, FileArchive* archive) override;

    // A mask of type made from the plain file's pixels; null on failure.
    std::unique_ptr<MaskData> LoadMask(const std::string& file, eMaskType type, FileArchive* archive);
    std::unique_ptr<MaskData> LoadMaskFromMemory(const unsigned char* bytes, unsigned long size, eMaskType type);

    // The first four bytes of the PNG signature; bytes must hold four.
    static bool FileIsPng(const unsigned char* bytes);
    static bool FileIsPng(const unsigned char* bytes, size_t size);

    // The width and height from the header of a PNG in memory.
    static bool ReadDimensions(const unsigned char* bytes, size_t size, int& width, int& height);
    // The whole picture; false, with nothing kept, on any fault of the data.
    static bool Decode(const unsigned char* bytes, size_t size, DecodedPicture& picture);
    // Type 2: ARGB colours; types 0 and 1: the first sample of each pixel
    // (alpha when there is alpha, else red or gray). Null for other types.
    static std::unique_ptr<MaskData> CreatePngMask(const DecodedPicture& picture, eMaskType type);
};

}  // namespace ZQ2
