#pragma once
// Reads JPEG pictures through libjpeg for image resources. Gray, RGB and
// YCbCr pictures are decoded to RGB; other colour spaces are refused.
#include <cstddef>
#include <string>

#include "engine/graphics/iImageLoader.h"

namespace ZQ2 {

class ImageLoaderJPG : public iImageLoader {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // Bytes per read of the memory source.
    static constexpr size_t SOURCE_BUFFER_SIZE = 4096;

    const RTTI& GetRTTI() const override { return rtti; }

    // The extension, lowered, contains "jpg" or "jpeg".
    bool HandlesExtension(const std::string& file) override;
    bool GetImageDimensions(int& width, int& height) override;
    bool Load() override;
    // The file starts with a JPEG start-of-image code and a JFIF or Exif
    // header. Read from the archive's member when the data archive is in use
    // and holds it, else from the plain file.
    bool CheckValidFile(const std::string& file, FileArchive* archive) override;

    // The first ten bytes (at least) of a file: 0xFF 0xD8, then "JFIF" or
    // "Exif" at bytes 6 to 9.
    static bool FileIsJpeg(const unsigned char* bytes, size_t size);
    // The width and height from the header of a JPEG in memory.
    static bool ReadDimensions(const unsigned char* bytes, size_t size, int& width, int& height);
    // The whole picture as RGB; false, with nothing kept, on any fault of the
    // data, a truncated file included.
    static bool Decode(const unsigned char* bytes, size_t size, DecodedPicture& picture);
};

}  // namespace ZQ2
