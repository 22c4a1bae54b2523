#include "engine/graphics/Mask.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>

#include "engine/core/MemoryBuffer_t.h"
#include "engine/graphics/ImageData.h"
#include "engine/graphics/ImageFrame.h"
#include "engine/graphics/ImageLoaderPNG.h"
#include "engine/io/AbstractProperty.h"
#include "engine/io/FileArchive.h"
#include "engine/io/PropertyNode.h"

namespace ZQ2 {

const char* const PROP_ALPHAMASK = "alphamask";
const char* const PROP_BITMASK = "bitmask";
const char* const PROP_COLORLUT = "colorlut";

const RTTI* const Mask::rttis[] = {&ResourceObject::rtti, nullptr};
const RTTI Mask::rtti("Mask", Mask::rttis);

ObjectInitializer Mask::m_ObjectInitializer("Mask", &Mask::OnData);

Mask::Mask(const std::string& file, eMaskType type, int threshold)
    : ResourceObject(file), m_eType(type), m_nThreshold(threshold) {}

Mask::Mask(AbstractProperty* node) : m_eType(MASKTYPE_ALPHA), m_nThreshold(DEFAULT_THRESHOLD) {
    if (node)
        SetProperties(node->ToNode());
}

Mask::Mask(ImageFrame* frame, eMaskType type, int threshold) : m_eType(type), m_nThreshold(threshold) {
    if (!frame || frame->GetWidth() < 1 || frame->GetHeight() < 1)
        return;
    m_Data = MaskData(frame->GetWidth(), frame->GetHeight(), 8);
    CopyAlpha(frame);
    if (IsFinished() && type == MASKTYPE_BIT)
        ToBitMask();
}

Mask::Mask(int width, int height, const std::vector<unsigned char>& alpha, int threshold)
    : m_eType(MASKTYPE_ALPHA), m_nThreshold(threshold) {
    if (MaskData::GetByteCount(width, height, 8) == 0 || alpha.size() != MaskData::GetByteCount(width, height, 8))
        return;
    m_Data = MaskData(width, height, 8);
    m_Data.GetBytes() = alpha;
    SetFinished();
}

BaseObject* Mask::OnData(AbstractProperty* node) { return new Mask(node); }

std::string Mask::ToString() const { return ResourceObject::ToString() + " Mask"; }

void Mask::SetProperties(PropertyNode* node) {
    if (!node)
        return;
    ResourceObject::SetProperties(node);
    const struct {
        const char* key;
        eMaskType type;
    } keys[] = {{PROP_ALPHAMASK, MASKTYPE_ALPHA}, {PROP_BITMASK, MASKTYPE_BIT}, {PROP_COLORLUT, MASKTYPE_COLORLUT}};
    for (const auto& key : keys) {
        if (!node->HasProperty(key.key))
            continue;
        m_eType = key.type;
        SetFile(node->GetPropString(key.key));
    }
}

// Only reads the pixels: a writing lock would mark the texture as changed
// at run time and for upload.
void Mask::CopyAlpha(ImageFrame* frame) {
    ImageData* data = frame->GetImageData();
    if (!data || !data->Lock(true))
        return;
    const Rectangle_t<int>& r = frame->GetPixelRect();
    const bool inside = r.x >= 0 && r.y >= 0 && r.x + r.width <= data->GetTextureWidth() &&
                        r.y + r.height <= data->GetTextureHeight();
    if (inside && data->GetPixelData()) {
        for (int y = 0; y < m_Data.GetHeight(); ++y) {
            for (int x = 0; x < m_Data.GetWidth(); ++x)
                m_Data.At8(x, y) = static_cast<unsigned char>(*frame->GetPixelData<uint32_t>(x, y) >> 24);
        }
        SetFinished();
    }
    data->Unlock();
}

void Mask::Load() {
    m_Data.Clear();
    if (GetFile().empty())
        SetError(RESOURCE_ERROR_FILENAME_EMPTY);
    else if (!SourceExists())
        SetError(RESOURCE_ERROR_FILE_NOT_FOUND);
    if (!HasError()) {
        MemoryBuffer_t<unsigned char> bytes;
        if (FileArchive::LoadFile(GetFile(), &bytes, GetArchiveType())) {
            ImageLoaderPNG loader;
            std::unique_ptr<MaskData> data = loader.LoadMaskFromMemory(
                bytes.GetData(), static_cast<unsigned long>(bytes.GetSize()), m_eType);
            if (data)
                m_Data = std::move(*data);
        }
        if (m_Data.IsEmpty())
            SetError(RESOURCE_ERROR_UNSPECIFIED);
    }
    SetFinished();
}

void Mask::FreeResource() {
    ResourceObject::FreeResource();
    m_Data.Clear();
}

void Mask::ToBitMask() {
    if (m_Data.IsEmpty() || m_Data.GetBitsPerPixel() == 1)
        return;
    const int width = m_Data.GetWidth();
    const int height = m_Data.GetHeight();
    const bool words = m_Data.GetBitsPerPixel() == 32;
    MaskData bits(width, height, 1);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int alpha = words ? static_cast<int>(m_Data.Get32(x, y) >> 24) : m_Data.At8(x, y);
            if (alpha >= m_nThreshold)
                bits.SetBit(x, y, true);
        }
    }
    m_Data = std::move(bits);
    m_eType = MASKTYPE_BIT;
}

bool Mask::Crop(int frameCount, int columns) {
    const int depth = m_Data.GetBitsPerPixel();
    if (frameCount < 1 || columns < 1 || m_Data.IsEmpty() || (depth != 8 && depth != 32))
        return false;
    const int rows = (frameCount - 1) / columns + 1;
    const int width = m_Data.GetWidth() / columns;
    const int height = m_Data.GetHeight() / rows;
    if (width < 1 || height < 1)
        return false;
    const size_t bytesPerPixel = static_cast<size_t>(depth / 8);
    const size_t oldRow = static_cast<size_t>(m_Data.GetWidth()) * bytesPerPixel;
    const size_t newRow = static_cast<size_t>(width) * bytesPerPixel;
    MaskData cropped(width, height, depth);
    for (int y = 0; y < height; ++y)
        std::memcpy(&cropped.GetBytes()[y * newRow], &m_Data.GetBytes()[y * oldRow], newRow);
    m_Data = std::move(cropped);
    return true;
}

bool Mask::GetBit(int x, int y) const {
    if (!IsBitMask() || x < 0 || y < 0 || x >= m_Data.GetWidth() || y >= m_Data.GetHeight())
        return false;
    return m_Data.GetBit(x, y);
}

}  // namespace ZQ2
