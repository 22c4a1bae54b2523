#include "engine/graphics/iImageLoader.h"

#include <cstdint>

#include "engine/graphics/ImageData.h"
#include "engine/graphics/ImageDataOpenGL.h"
#include "engine/graphics/Renderer.h"
#include "engine/io/DecodedPicture.h"
#include "engine/io/FileArchive.h"

namespace ZQ2 {

const RTTI* const iImageLoader::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI iImageLoader::rtti("iImageLoader", iImageLoader::rttis);

void iImageLoader::SetDrawSettings(const unsigned char* bytes, int size, const std::string& file,
                                   const BitFlags_t<eImageDataCreationFlag>& flags) {
    m_pSourceBytes = bytes;
    m_nSourceSize = bytes ? size : 0;
    m_strFileName = file;
    m_CreationFlags = flags;
    m_FileBytes.Flush();
    m_bFileRead = false;
}

void iImageLoader::FreeImageDatas() {
    m_ImageDatas.clear();
    m_FileBytes.Flush();
    m_bFileRead = false;
}

bool iImageLoader::GetSourceBytes(const unsigned char*& bytes, size_t& size) {
    if (m_pSourceBytes) {
        bytes = m_pSourceBytes;
        size = m_nSourceSize > 0 ? static_cast<size_t>(m_nSourceSize) : 0;
        return size > 0;
    }
    if (!m_bFileRead) {
        m_bFileRead = true;
        if (m_strFileName.empty() || !FileArchive::LoadFile(m_strFileName, &m_FileBytes, ARCHIVE_FILE))
            m_FileBytes.Flush();
    }
    bytes = m_FileBytes.GetData();
    size = static_cast<size_t>(m_FileBytes.GetSize());
    return bytes && size > 0;
}

ImageData* iImageLoader::CreateImageData(int width, int height) {
    if (Renderer* renderer = Renderer::g_Instance)
        return renderer->CreateImageDataManaged(width, height);
    if (width < 1 || height < 1 || width > Renderer::MAX_TEXTURE_SIZE || height > Renderer::MAX_TEXTURE_SIZE)
        return nullptr;
    return new ImageDataOpenGL(width, height, width, height, true);
}

bool iImageLoader::ReadSourceDimensions(DimensionReader read, int& width, int& height) {
    const unsigned char* bytes = nullptr;
    size_t size = 0;
    return GetSourceBytes(bytes, size) && read(bytes, size, width, height);
}

bool iImageLoader::DecodeSourceToFrames(PictureDecoder decode) {
    ClearFrames();
    const unsigned char* bytes = nullptr;
    size_t size = 0;
    DecodedPicture picture;
    if (!GetSourceBytes(bytes, size) || !decode(bytes, size, picture))
        return false;
    return MakeFrames(picture);
}

bool iImageLoader::MakeFrames(const DecodedPicture& picture) {
    m_ImageDatas.clear();
    if (m_nFrameCount < 1 || m_nColumnCount < 1)
        return false;
    const int rows = (m_nFrameCount - 1) / m_nColumnCount + 1;
    const int frameWidth = picture.GetWidth() / m_nColumnCount;
    const int frameHeight = picture.GetHeight() / rows;
    if (frameWidth < 1 || frameHeight < 1)
        return false;
    for (int i = 0; i < m_nFrameCount; ++i) {
        const int left = i % m_nColumnCount * frameWidth;
        const int top = i / m_nColumnCount * frameHeight;
        if (!MakeFrame(picture, left, top, frameWidth, frameHeight)) {
            m_ImageDatas.clear();
            return false;
        }
    }
    return true;
}

bool iImageLoader::MakeFrame(const DecodedPicture& picture, int left, int top, int width, int height) {
    SmartPtr<ImageData> data(CreateImageData(width, height));
    if (!data || !data->Lock(false))
        return false;
    if (!data->GetPixelData()) {
        data->Unlock();
        return false;
    }
    const bool alphaOnly = m_CreationFlags.IsSet(IMAGEDATA_CREATE_ALPHA_ONLY);
    const bool padding = m_CreationFlags.IsSet(IMAGEDATA_CREATE_PADDING);
    const bool padRight = padding && data->GetTextureWidth() > width;
    const bool padBottom = padding && data->GetTextureHeight() > height;
    bool translucent = false;
    for (int y = 0; y < height; ++y) {
        auto* out = data->GetPixelData<uint32_t>(0, y);
        for (int x = 0; x < width; ++x) {
            out[x] = picture.GetPixel(left + x, top + y, alphaOnly);
            translucent = translucent || (out[x] >> 24) != 0xFFu;
        }
        if (padRight)
            out[width] = out[width - 1];
    }
    if (padBottom) {
        const int count = width + (padRight ? 1 : 0);
        const auto* last = data->GetPixelData<uint32_t>(0, height - 1);
        auto* out = data->GetPixelData<uint32_t>(0, height);
        for (int x = 0; x < count; ++x)
            out[x] = last[x];
    }
    data->SetHasAlpha(alphaOnly || translucent);
    data->SetAlphaOnly(alphaOnly);
    data->Unlock();
    // Fresh pixels are the loaded picture, not a change made at run time.
    data->SetAltered(false);
    m_ImageDatas.push_back(data);
    return true;
}

}  // namespace ZQ2
