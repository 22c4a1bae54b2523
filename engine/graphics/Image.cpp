#include "engine/graphics/Image.h"

#include <algorithm>
#include <cstdint>

#include "engine/core/Platform.h"
#include "engine/graphics/Graphics.h"
#include "engine/graphics/ImageData.h"
#include "engine/graphics/iRenderTarget.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"

namespace ZQ2 {

const char* const PROP_COLUMN_COUNT = "columncount";
const char* const PROP_ROW_COUNT = "rowcount";
const char* const PROP_FRAME_COUNT = "framecount";

const RTTI* const Image::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI Image::rtti("Image", Image::rttis);

Image::Image(ImageData* data, int frameCount, int columns) : m_nColumnCount(columns) {
    if (data)
        CreateFrames(data, Rectangle_t<int>(0, 0, data->GetWidth(), data->GetHeight()), frameCount, columns);
}

Image::Image(const ZQVector<ImageData*>& datas, int columns) : m_nColumnCount(columns) {
    for (ImageData* data : datas)
        m_Frames.push_back(SmartPtr<ImageFrame>(new ImageFrame(data)));
}

Image::Image(AbstractProperty* node, ImageData* data) {
    const PropertyNode* keys = node ? node->ToNode() : nullptr;
    auto has = [keys](const char* key) { return keys && keys->HasProperty(key); };
    auto read = [keys](const char* key) { return static_cast<int>(*keys->GetValue(key)); };

    // Counts come from data: each is refused outside 1 to MAX_FRAME_COUNT
    // before any arithmetic, so a product cannot overflow.
    auto count = [&](const char* key, int& out) {
        out = read(key);
        if (out >= 1 && out <= MAX_FRAME_COUNT)
            return true;
        Platform::OutputDebugStringFormat("Image: %s %d refused; it must be from 1 to %d.\n", key, out, MAX_FRAME_COUNT);
        return false;
    };
    int frameCount = 1;
    if (has(PROP_COLUMN_COUNT)) {
        if (!count(PROP_COLUMN_COUNT, m_nColumnCount))
            return;
        frameCount = m_nColumnCount;
    }
    int rows = 0;
    if (has(PROP_ROW_COUNT) && !count(PROP_ROW_COUNT, rows))
        return;
    if (has(PROP_FRAME_COUNT)) {
        if (!count(PROP_FRAME_COUNT, frameCount))
            return;
        if (rows > 0)
            m_nColumnCount = (frameCount + rows - 1) / rows;
    } else if (rows > 0) {
        const int64_t frames = static_cast<int64_t>(rows) * m_nColumnCount;
        if (frames > MAX_FRAME_COUNT) {
            Platform::OutputDebugStringFormat("Image: %d rows of %d columns refused.\n", rows, m_nColumnCount);
            return;
        }
        frameCount = static_cast<int>(frames);
    }
    CreateFrames(data, Rectangle_t<int>(node), frameCount, m_nColumnCount);
}

bool Image::CreateFrames(ImageData* data, const Rectangle_t<int>& region, int count, int columns) {
    if (!data)
        return false;
    if (count < 1 || columns < 1) {
        Platform::OutputDebugStringFormat(
            "Image: %d frames in %d columns refused; both counts must be at least 1.\n", count, columns);
        return false;
    }
    const int rows = (count + columns - 1) / columns;
    // Every frame must be at least one pixel of the region wide and high.
    const bool fits = columns <= std::max(region.width, 1) && rows <= std::max(region.height, 1);
    if (count > MAX_FRAME_COUNT || columns > MAX_FRAME_COUNT || !fits) {
        Platform::OutputDebugStringFormat("Image: %d frames in %d columns refused for a %dx%d region.\n", count,
                                          columns, region.width, region.height);
        return false;
    }
    const int frameWidth = region.width / columns;
    const int frameHeight = region.height / rows;
    for (int i = 0; i < count; ++i) {
        const Rectangle_t<int> cell(region.x + (i % columns) * frameWidth, region.y + (i / columns) * frameHeight,
                                    frameWidth, frameHeight);
        m_Frames.push_back(SmartPtr<ImageFrame>(new ImageFrame(data, cell)));
    }
    return true;
}

ImageFrame* Image::GetFrame() const { return m_Frames.empty() ? nullptr : m_Frames[0].Get(); }

ImageFrame* Image::GetFrame(int i) const { return i >= 0 && i < m_Frames.size() ? m_Frames[i].Get() : nullptr; }

bool Image::Lock(bool readOnly) {
    ImageFrame* frame = GetFrame();
    ImageData* data = frame ? frame->GetImageData() : nullptr;
    return data && data->Lock(readOnly);
}

void* Image::GetPixelData() const {
    ImageFrame* frame = GetFrame();
    ImageData* data = frame ? frame->GetImageData() : nullptr;
    return data ? data->GetPixelData() : nullptr;
}

bool Image::Unlock() {
    ImageFrame* frame = GetFrame();
    ImageData* data = frame ? frame->GetImageData() : nullptr;
    return data && data->Unlock();
}

Graphics* Image::CreateGraphics() {
    ImageFrame* frame = GetFrame();
    ImageData* data = frame ? frame->GetImageData() : nullptr;
    iRenderTarget* target = data ? static_cast<iRenderTarget*>(data->QueryInterface(iRenderTarget::rtti)) : nullptr;
    return new Graphics(target);
}

}  // namespace ZQ2
