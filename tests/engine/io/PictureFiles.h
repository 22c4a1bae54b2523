#pragma once
// Small PNG and JPEG pictures made at test time with libpng's and libjpeg's
// own writers, so every fixture is a file those libraries accept.
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace pictures {

struct Png {
    int width = 1;
    int height = 1;
    int colorType = PNG_COLOR_TYPE_RGB;
    int bitDepth = 8;
    // One value per sample, row by row, in the file's channel order (gray,
    // gray-alpha, index, RGB or RGBA); 16-bit depths take 0-65535.
    std::vector<unsigned> samples;
    std::vector<png_color> palette;
    std::vector<unsigned char> paletteAlpha;  // a tRNS chunk for palettes
    bool interlaced = false;
};

inline int ChannelsOf(int colorType) {
    switch (colorType) {
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
    default: return 1;
    }
}

inline void AppendPng(png_structp png, png_bytep data, png_size_t size) {
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), size);
}

inline void FlushNothing(png_structp) {}

// Packs samples MSB first for depths below 8, big-endian for 16.
inline std::vector<std::vector<png_byte>> PackRows(const Png& picture) {
    const int channels = ChannelsOf(picture.colorType);
    const size_t perRow = static_cast<size_t>(picture.width) * channels;
    std::vector<std::vector<png_byte>> rows(picture.height, std::vector<png_byte>((perRow * picture.bitDepth + 7) / 8, 0));
    for (int y = 0; y < picture.height; ++y) {
        for (size_t i = 0; i < perRow; ++i) {
            const unsigned v = picture.samples[y * perRow + i];
            std::vector<png_byte>& row = rows[y];
            if (picture.bitDepth == 16) {
                row[2 * i] = static_cast<png_byte>(v >> 8);
                row[2 * i + 1] = static_cast<png_byte>(v);
            } else if (picture.bitDepth == 8) {
                row[i] = static_cast<png_byte>(v);
            } else {
                const size_t bit = i * picture.bitDepth;
                row[bit / 8] |= static_cast<png_byte>(v << (8 - picture.bitDepth - bit % 8));
            }
        }
    }
    return rows;
}

inline std::string EncodePng(const Png& picture) {
    std::string out;
    std::vector<std::vector<png_byte>> rows = PackRows(picture);
    std::vector<png_bytep> pointers;
    for (auto& row : rows)
        pointers.push_back(row.data());
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return std::string();
    }
    png_set_write_fn(png, &out, &AppendPng, &FlushNothing);
    png_set_IHDR(png, info, picture.width, picture.height, picture.bitDepth, picture.colorType,
                 picture.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!picture.palette.empty())
        png_set_PLTE(png, info, picture.palette.data(), static_cast<int>(picture.palette.size()));
    if (!picture.paletteAlpha.empty())
        png_set_tRNS(png, info, picture.paletteAlpha.data(), static_cast<int>(picture.paletteAlpha.size()), nullptr);
    png_write_info(png, info);
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

// components 1 (gray) or 3 (RGB); CMYK pictures pass 4 and JCS_CMYK.
inline std::string EncodeJpeg(int width, int height, int components, J_COLOR_SPACE space,
                              const std::vector<unsigned char>& samples, int quality = 100, bool progressive = false) {
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = width;
    info.image_height = height;
    info.input_components = components;
    info.in_color_space = space;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    if (progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(&samples[static_cast<size_t>(info.next_scanline) * width * components]);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::string out(reinterpret_cast<const char*>(buffer), size);
    std::free(buffer);
    return out;
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline const unsigned char* Bytes(const std::string& text) {
    return reinterpret_cast<const unsigned char*>(text.data());
}

}  // namespace pictures
