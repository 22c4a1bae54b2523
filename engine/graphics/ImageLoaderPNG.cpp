#include "engine/graphics/ImageLoaderPNG.h"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/io/DecodedPicture.h"
#include "engine/io/FileArchive.h"
#include "engine/io/FileUtils.h"

namespace ZQ2 {

const RTTI* const ImageLoaderPNG::rttis[] = {&iImageLoader::rtti, nullptr};
const RTTI ImageLoaderPNG::rtti("ImageLoaderPNG", ImageLoaderPNG::rttis);

namespace {

constexpr size_t kSignatureCheckBytes = 4;

struct PngInput {
    const unsigned char* bytes;
    size_t size;
    size_t offset;
};

// libpng must never return from an error: jump back to the recovery point
// set by the guarded function that called into it, without a word on stderr.
void OnPngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnPngWarning(png_structp, png_const_charp) {}

void ReadInput(png_structp png, png_bytep out, png_size_t count) {
    auto* input = static_cast<PngInput*>(png_get_io_ptr(png));
    if (!input || count > input->size - input->offset)
        png_error(png, "unexpected end of data");
    std::memcpy(out, input->bytes + input->offset, count);
    input->offset += count;
}

// Owns libpng's structures for one decode.
class PngSession {
public:
    PngSession(const unsigned char* bytes, size_t size) : m_Input{bytes, size, 0} {
        m_pPng = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, &OnPngError, &OnPngWarning);
        if (m_pPng)
            m_pInfo = png_create_info_struct(m_pPng);
    }
    ~PngSession() {
        if (m_pPng)
            png_destroy_read_struct(&m_pPng, m_pInfo ? &m_pInfo : nullptr, nullptr);
    }
    PngSession(const PngSession&) = delete;
    PngSession& operator=(const PngSession&) = delete;

    bool IsValid() const { return m_pPng && m_pInfo; }
    png_structp Png() const { return m_pPng; }
    png_infop Info() const { return m_pInfo; }
    PngInput* Input() { return &m_Input; }

private:
    png_structp m_pPng = nullptr;
    png_infop m_pInfo = nullptr;
    PngInput m_Input;
};

// The functions below set a recovery point and call libpng, which leaves
// them by longjmp on any error. Nothing with a destructor may live in them.

bool ReadHeader(PngSession& s) {
    if (setjmp(png_jmpbuf(s.Png())))
        return false;
    png_set_read_fn(s.Png(), s.Input(), &ReadInput);
    png_set_user_limits(s.Png(), DecodedPicture::MAX_SIDE, DecodedPicture::MAX_SIDE);
    png_read_info(s.Png(), s.Info());
    return true;
}

// Asks libpng for 8-bit samples in one of the picture layouts.
bool PrepareRows(PngSession& s, int& width, int& height, DecodedPicture::eLayout& layout) {
    if (setjmp(png_jmpbuf(s.Png())))
        return false;
    png_structp png = s.Png();
    png_infop info = s.Info();
    const png_uint_32 w = png_get_image_width(png, info);
    const png_uint_32 h = png_get_image_height(png, info);
    if (!DecodedPicture::IsSizeAcceptable(w, h))
        return false;
    const int depth = png_get_bit_depth(png, info);
    const int colorType = png_get_color_type(png, info);
    const bool transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (depth == 16)
        png_set_strip_16(png);
    if (depth < 8 && colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_packing(png);
    if (depth < 8 && colorType == PNG_COLOR_TYPE_GRAY)
        png_set_expand_gray_1_2_4_to_8(png);
    if (transparency)
        png_set_tRNS_to_alpha(png);
    if ((colorType & PNG_COLOR_MASK_COLOR) == 0 && ((colorType & PNG_COLOR_MASK_ALPHA) != 0 || transparency))
        png_set_gray_to_rgb(png);
    png_set_swap_alpha(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);

    const int channels = png_get_channels(png, info);
    const int outType = png_get_color_type(png, info);
    if (png_get_bit_depth(png, info) != 8 || png_get_rowbytes(png, info) != static_cast<size_t>(w) * channels)
        return false;
    if (channels == 1)
        layout = outType == PNG_COLOR_TYPE_PALETTE ? DecodedPicture::LAYOUT_PALETTE : DecodedPicture::LAYOUT_GRAY;
    else if (channels == 3)
        layout = DecodedPicture::LAYOUT_RGB;
    else if (channels == 4)
        layout = DecodedPicture::LAYOUT_ARGB;
    else
        return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

bool ReadRows(PngSession& s, png_bytepp rows) {
    if (setjmp(png_jmpbuf(s.Png())))
        return false;
    png_read_image(s.Png(), rows);
    png_read_end(s.Png(), nullptr);
    return true;
}

void CopyPalette(PngSession& s, DecodedPicture& picture) {
    png_colorp palette = nullptr;
    int count = 0;
    if (png_get_PLTE(s.Png(), s.Info(), &palette, &count) == 0 || !palette)
        return;
    for (int i = 0; i < count && i < 256; ++i)
        picture.SetPaletteEntry(i, palette[i].red, palette[i].green, palette[i].blue);
}

}  // namespace

bool ImageLoaderPNG::HandlesExtension(const std::string& file) {
    return GetExtension(file).find("png") != std::string::npos;
}

bool ImageLoaderPNG::FileIsPng(const unsigned char* bytes) {
    return bytes && png_sig_cmp(bytes, 0, kSignatureCheckBytes) == 0;
}

bool ImageLoaderPNG::FileIsPng(const unsigned char* bytes, size_t size) {
    return size >= kSignatureCheckBytes && FileIsPng(bytes);
}

bool ImageLoaderPNG::CheckValidFile(const std::string& file, FileArchive*) {
    std::FILE* in = std::fopen(MakeValidPath(file).c_str(), "rb");
    if (!in)
        return false;
    unsigned char bytes[kSignatureCheckBytes] = {};
    const size_t read = std::fread(bytes, 1, sizeof bytes, in);
    std::fclose(in);
    return FileIsPng(bytes, read);
}

bool ImageLoaderPNG::ReadDimensions(const unsigned char* bytes, size_t size, int& width, int& height) {
    if (!FileIsPng(bytes, size))
        return false;
    PngSession session(bytes, size);
    if (!session.IsValid() || !ReadHeader(session))
        return false;
    width = static_cast<int>(png_get_image_width(session.Png(), session.Info()));
    height = static_cast<int>(png_get_image_height(session.Png(), session.Info()));
    return true;
}

bool ImageLoaderPNG::Decode(const unsigned char* bytes, size_t size, DecodedPicture& picture) {
    if (!FileIsPng(bytes, size))
        return false;
    PngSession session(bytes, size);
    if (!session.IsValid() || !ReadHeader(session))
        return false;
    int width = 0;
    int height = 0;
    DecodedPicture::eLayout layout = DecodedPicture::LAYOUT_NONE;
    if (!PrepareRows(session, width, height, layout) || !picture.Allocate(width, height, layout))
        return false;
    if (layout == DecodedPicture::LAYOUT_PALETTE)
        CopyPalette(session, picture);
    // An alpha-only RGB picture keeps no colour of its own.
    picture.SetAlphaOnlyRgbColor(0);
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        rows[static_cast<size_t>(y)] = picture.GetRow(y);
    if (ReadRows(session, rows.data()))
        return true;
    picture.Allocate(0, 0, DecodedPicture::LAYOUT_NONE);
    return false;
}

bool ImageLoaderPNG::GetImageDimensions(int& width, int& height) {
    return ReadSourceDimensions(&ReadDimensions, width, height);
}

bool ImageLoaderPNG::Load() { return DecodeSourceToFrames(&Decode); }

std::unique_ptr<MaskData> ImageLoaderPNG::CreatePngMask(const DecodedPicture& picture, eMaskType type) {
    const int width = picture.GetWidth();
    const int height = picture.GetHeight();
    if (type == MASKTYPE_COLORLUT) {
        auto mask = std::make_unique<MaskData>(width, height, 32);
        if (mask->IsEmpty())
            return nullptr;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x)
                mask->Set32(x, y, picture.GetPixel(x, y, false));
        }
        return mask;
    }
    if (type != MASKTYPE_ALPHA && type != MASKTYPE_BIT)
        return nullptr;
    auto mask = std::make_unique<MaskData>(width, height, 8);
    if (mask->IsEmpty())
        return nullptr;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            mask->At8(x, y) = picture.GetFirstSample(x, y);
    }
    return mask;
}

std::unique_ptr<MaskData> ImageLoaderPNG::LoadMask(const std::string& file, eMaskType type, FileArchive* archive) {
    if (!CheckValidFile(file, archive))
        return nullptr;
    MemoryBuffer_t<unsigned char> buffer;
    if (!FileArchive::LoadFile(file, &buffer, ARCHIVE_FILE))
        return nullptr;
    return LoadMaskFromMemory(buffer.GetData(), static_cast<unsigned long>(buffer.GetSize()), type);
}

std::unique_ptr<MaskData> ImageLoaderPNG::LoadMaskFromMemory(const unsigned char* bytes, unsigned long size,
                                                             eMaskType type) {
    DecodedPicture picture;
    if (!Decode(bytes, size, picture))
        return nullptr;
    return CreatePngMask(picture, type);
}

}  // namespace ZQ2
