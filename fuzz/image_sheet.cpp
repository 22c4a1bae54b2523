// Feeds arbitrary bytes to the image resource twice: as a sheet description
// (whose entries cut sub-images from a picture), and as a property file whose
// nodes are read as the keys of image resources (grid counts, mask, padding).
// Every pixel of every frame made is read, so a frame reaching past its
// picture shows.
#include <png.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/graphics/Image.h"
#include "engine/graphics/ImageFrame.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyStore.h"
#include "engine/resource/ResourceImage.h"

namespace {

void WriteFile(const char* name, const void* bytes, size_t size) {
    std::ofstream(name, std::ios::binary).write(static_cast<const char*>(bytes), static_cast<std::streamsize>(size));
}

// A gray or RGBA picture of width x height, written as name.
void WritePng(const char* name, int width, int height, bool gray) {
    std::vector<unsigned char> samples(static_cast<size_t>(width) * height * (gray ? 1 : 4));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<unsigned char>(i * 37);
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = gray ? PNG_FORMAT_GRAY : PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, samples.data(), 0, nullptr);
    std::vector<unsigned char> bytes(size);
    if (png_image_write_to_memory(&image, bytes.data(), &size, 0, samples.data(), 0, nullptr))
        WriteFile(name, bytes.data(), size);
}

// The pictures live in a folder of their own, the working folder from then on.
void EnterFixtureFolder() {
    char pattern[] = "/tmp/delvor-fuzz-sheet-XXXXXX";
    if (!mkdtemp(pattern) || chdir(pattern) != 0)
        std::abort();
    WritePng("pic.png", 12, 8, false);
    WritePng("mask.png", 12, 8, true);
    WritePng("small.png", 5, 3, true);
}

// Only the fixture's files may be named: the input must not reach the rest
// of the disk.
bool NamesFixtureFiles(const ZQ2::ResourceImage& image) {
    for (const std::string& name : {image.GetFile(), image.GetMaskFile(), image.GetDescriptionFile()}) {
        if (!name.empty() && name != "pic.png" && name != "mask.png" && name != "small.png" && name != "sheet.xml")
            return false;
    }
    return true;
}

volatile uint32_t g_Sink;

void ReadEveryPixel(const ZQ2::ResourceImage& resource) {
    uint32_t sum = 0;
    for (const auto& entry : resource.GetImages()) {
        const ZQ2::Image* image = entry.second.Get();
        for (int i = 0; i < image->GetFrameCount(); ++i) {
            const ZQ2::ImageFrame* frame = image->GetFrame(i);
            for (int y = 0; y < frame->GetHeight(); ++y) {
                for (int x = 0; x < frame->GetWidth(); ++x)
                    sum += *frame->GetPixelData<uint32_t>(x, y);
            }
        }
    }
    g_Sink = sum;
}

void LoadAndRead(ZQ2::ResourceImage* image) {
    image->Load();
    ReadEveryPixel(*image);
    image->FreeResource();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool entered = (EnterFixtureFolder(), true);
    (void)entered;
    const std::string text(reinterpret_cast<const char*>(data), size);
    WriteFile("sheet.xml", text.data(), text.size());

    ZQ2::SmartPtr<ZQ2::ResourceImage> sheet(new ZQ2::ResourceImage("sheet.xml", "", 1, 1, false));
    LoadAndRead(sheet.Get());

    ZQ2::SmartPtr<ZQ2::PropertyStore> store(new ZQ2::PropertyStore());
    if (!store->ParseFromBuffer(text.c_str()))
        return 0;
    for (const ZQ2::SmartPtr<ZQ2::AbstractProperty>& child : *store) {
        if (!child || child->GetType() != ZQ2::PROPERTY_NODE)
            continue;
        ZQ2::SmartPtr<ZQ2::ResourceImage> image(new ZQ2::ResourceImage(child.Get()));
        if (NamesFixtureFiles(*image))
            LoadAndRead(image.Get());
    }
    return 0;
}
