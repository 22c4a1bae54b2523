#pragma once
// Data files for the resource tests, made at test time in a scratch working
// folder: PNG and JPEG pictures, zip archives, enciphered copies, property
// files.
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <png.h>
#include <unistd.h>
#include <zip.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/CipherByteArray.h"
#include "engine/core/SmartPtr.h"
#include "engine/graphics/Image.h"
#include "engine/graphics/ImageFrame.h"
#include "engine/io/FileArchive.h"
#include "engine/io/FileUtils.h"
#include "engine/io/ObjectFactory.h"
#include "engine/io/PropertyStore.h"
#include "engine/io/PropertyVector.h"

namespace resfiles {

namespace fs = std::filesystem;
using Bytes = std::string;

// Pixels as the picture's samples, row by row: 1 (gray), 3 (RGB) or 4
// (RGBA) bytes each.
inline Bytes Png(int width, int height, int channels, const std::vector<unsigned char>& samples) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = channels == 1 ? PNG_FORMAT_GRAY : channels == 3 ? PNG_FORMAT_RGB : PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, samples.data(), 0, nullptr))
        return Bytes();
    Bytes bytes(size, '\0');
    if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, samples.data(), 0, nullptr))
        return Bytes();
    bytes.resize(size);
    return bytes;
}

// A width x height RGBA picture whose pixel (x, y) is red x, green y, blue
// 7 and alpha a.
inline Bytes PatternPng(int width, int height, unsigned char alpha = 255) {
    std::vector<unsigned char> samples;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            samples.insert(samples.end(), {static_cast<unsigned char>(x), static_cast<unsigned char>(y), 7, alpha});
    }
    return Png(width, height, 4, samples);
}

// A gray picture whose pixel (x, y) is value(x, y).
template <class F>
Bytes GrayPng(int width, int height, F value) {
    std::vector<unsigned char> samples;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            samples.push_back(static_cast<unsigned char>(value(x, y)));
    }
    return Png(width, height, 1, samples);
}

// A plain-colour RGB JPEG.
inline Bytes Jpeg(int width, int height, unsigned char r, unsigned char g, unsigned char b) {
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row;
    for (int x = 0; x < width; ++x)
        row.insert(row.end(), {r, g, b});
    while (info.next_scanline < info.image_height) {
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    Bytes bytes(reinterpret_cast<const char*>(out), size);
    jpeg_destroy_compress(&info);
    std::free(out);
    return bytes;
}

inline Bytes Enciphered(Bytes bytes) {
    ZQ2::cipher::CipherByteArray::cipher(bytes.data(), static_cast<int>(bytes.size()));
    return bytes;
}

inline void Write(const std::string& path, const Bytes& bytes) {
    const fs::path file(path);
    if (file.has_parent_path())
        fs::create_directories(file.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

struct Member {
    std::string name;
    Bytes data;
    bool deflate = true;  // else stored
};

// A zip made with minizip's writer, members in the order given; level is the
// deflated members' compression level.
inline bool WriteZip(const std::string& path, const std::vector<Member>& members, int level = Z_DEFAULT_COMPRESSION) {
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    if (!zip)
        return false;
    bool ok = true;
    for (const Member& m : members) {
        zip_fileinfo info;
        std::memset(&info, 0, sizeof info);
        ok = ok &&
             zipOpenNewFileInZip(zip, m.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                 m.deflate ? Z_DEFLATED : 0, m.deflate ? level : 0) == ZIP_OK &&
             zipWriteInFileInZip(zip, m.data.data(), static_cast<unsigned>(m.data.size())) == ZIP_OK &&
             zipCloseFileInZip(zip) == ZIP_OK;
    }
    return zipClose(zip, nullptr) == ZIP_OK && ok;
}

// The ARGB word of pixel (x, y) of an image's frame.
inline uint32_t Pixel(const ZQ2::Image* image, int frame, int x, int y) {
    const ZQ2::ImageFrame* f = image ? image->GetFrame(frame) : nullptr;
    const uint32_t* p = f ? f->GetPixelData<uint32_t>(x, y) : nullptr;
    return p ? *p : 0xDEADBEEFu;
}

// An object made by the factory from one element of a resource list:
// <tag id="id" attributes/>. Null when it is not a T.
template <class T>
ZQ2::SmartPtr<T> FromXml(const std::string& tag, const std::string& attributes, const std::string& id = "r") {
    ZQ2::SmartPtr<ZQ2::PropertyStore> store(new ZQ2::PropertyStore());
    const std::string text =
        "<root><Vector id=\"v\"><" + tag + " id=\"" + id + "\" " + attributes + "/></Vector></root>";
    EXPECT_TRUE(store->ParseFromBuffer(text.c_str()));
    ZQ2::BaseObject* made = ZQ2::ObjectFactory::Instance()->CreateObject(store->GetVector("v")->GetNode(0));
    ZQ2::SmartPtr<ZQ2::BaseObject> keep(made);
    return ZQ2::DynamicCast<T>(made);
}

// As FromXml, then loaded.
template <class T>
ZQ2::SmartPtr<T> LoadedFromXml(const std::string& tag, const std::string& attributes, const std::string& id = "r") {
    ZQ2::SmartPtr<T> resource = FromXml<T>(tag, attributes, id);
    if (resource)
        resource->Load();
    return resource;
}

// Each test runs in a fresh working folder, without a data archive before
// or after.
class ScratchFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/delvor-resources-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_strDir = pattern;
        m_strOldWork = ZQ2::GetWorkPath();
        ASSERT_TRUE(ZQ2::SetWorkPath(m_strDir));
        ZQ2::FileArchive::ReleaseInstance();
    }
    void TearDown() override {
        ZQ2::FileArchive::ReleaseInstance();
        ZQ2::SetWorkPath(m_strOldWork);
        fs::remove_all(m_strDir);
    }

    // Makes "data.dat" of the members the data archive, of global type 2.
    void UseArchive(const std::vector<Member>& members) {
        ASSERT_TRUE(WriteZip("data.dat", members));
        ZQ2::FileArchive::CreateInstance("data.dat", ZQ2::ARCHIVE_ZIP);
    }

    std::string m_strDir;
    std::string m_strOldWork;
};

}  // namespace resfiles
