#pragma once
// Comparing a rendered picture with a committed reference PNG. Rasterisers
// may differ in the last bit of a blend or a pixel on a turned edge; anything
// more is a change of the picture. DELVOR_UPDATE_REFERENCE=1 writes the
// reference anew from what was rendered.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace reference_image {

inline int Channel(uint32_t argb, int shift) { return static_cast<int>((argb >> shift) & 0xFFu); }

// The largest difference of one channel between two ARGB pixels.
inline int Distance(uint32_t a, uint32_t b) {
    int worst = 0;
    for (int shift : {24, 16, 8, 0})
        worst = std::max(worst, std::abs(Channel(a, shift) - Channel(b, shift)));
    return worst;
}

// The current framebuffer, top row first, as ARGB words.
inline std::vector<uint32_t> ReadBack(int width, int height) {
    std::vector<uint32_t> bottomUp(static_cast<size_t>(width) * static_cast<size_t>(height));
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, bottomUp.data());
    std::vector<uint32_t> pixels(bottomUp.size());
    for (int y = 0; y < height; ++y)
        std::copy_n(bottomUp.begin() + (height - 1 - y) * width, width, pixels.begin() + y * width);
    return pixels;
}

// A file of the committed test data.
inline std::string TestDataPath(const std::string& name) {
    const char* data = std::getenv("DELVOR_TEST_DATA");
    return std::string(data ? data : "tests/data") + "/" + name;
}

inline std::string Hex(uint32_t argb) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", argb);
    return text;
}

inline bool WritePng(const std::string& path, int width, int height, const std::vector<uint32_t>& pixels) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_BGRA;  // ARGB words in little-endian memory
    return png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0, nullptr) != 0;
}

inline bool ReadPng(const std::string& path, int width, int height, std::vector<uint32_t>& pixels) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return false;
    image.format = PNG_FORMAT_BGRA;
    if (image.width != static_cast<png_uint_32>(width) || image.height != static_cast<png_uint_32>(height)) {
        png_image_free(&image);
        return false;
    }
    pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    return png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) != 0;
}

// At most one pixel in 200 may differ by more than 4 in a channel.
inline void ExpectMatchesReference(const std::string& path, int width, int height,
                                   const std::vector<uint32_t>& pixels) {
    const char* update = std::getenv("DELVOR_UPDATE_REFERENCE");
    if (update && std::string(update) == "1") {
        ASSERT_TRUE(WritePng(path, width, height, pixels)) << path;
        std::printf("Wrote %s\n", path.c_str());
    }
    std::vector<uint32_t> reference;
    ASSERT_TRUE(ReadPng(path, width, height, reference)) << path << " (DELVOR_UPDATE_REFERENCE=1 writes it)";
    int off = 0;
    int worst = 0;
    for (size_t i = 0; i < pixels.size(); ++i) {
        const int d = Distance(pixels[i], reference[i]);
        worst = std::max(worst, d);
        if (d > 4)
            ++off;
    }
    EXPECT_LE(off, width * height / 200) << "worst channel difference " << worst;
}

}  // namespace reference_image
