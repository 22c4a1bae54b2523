#pragma once
// What the engine passes around as a picture: an ordered list of frames,
// usually a grid cut from one image data (animation strips, button states,
// font layers).
#include "engine/core/BaseObject.h"
#include "engine/core/SmartPtr.h"
#include "engine/core/ZQVector.h"
#include "engine/graphics/ImageFrame.h"
#include "engine/math/Rectangle_t.h"

namespace ZQ2 {

class AbstractProperty;
class Graphics;
class ImageData;

extern const char* const PROP_COLUMN_COUNT;
extern const char* const PROP_ROW_COUNT;
extern const char* const PROP_FRAME_COUNT;

class Image : public BaseObject {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // Most frames (and columns, and rows) one image may be cut into.
    static constexpr int MAX_FRAME_COUNT = 65536;

    // frameCount frames in rows of columns, cut from the whole picture; no
    // frames without data. Counts below 1 are refused: the image stays
    // without frames.
    Image(ImageData* data, int frameCount, int columns);
    // One whole-picture frame per image data, in order.
    Image(const ZQVector<ImageData*>& datas, int columns);
    // The grid and region from property data: "columncount", "rowcount",
    // "framecount" and the rectangle keys.
    Image(AbstractProperty* node, ImageData* data);

    const RTTI& GetRTTI() const override { return rtti; }

    // The first frame, or null.
    ImageFrame* GetFrame() const;
    // Frame i, or null when i is out of range.
    ImageFrame* GetFrame(int i) const;
    int GetFrameCount() const { return m_Frames.size(); }
    int GetColumnCount() const { return m_nColumnCount; }

    // Act on the first frame's image data; false or null without one.
    bool Lock(bool readOnly = false);
    void* GetPixelData() const;
    bool Unlock();

    // A new drawing context (no reference taken) drawing into the first
    // frame's texture when it takes drawing, else into the back buffer.
    Graphics* CreateGraphics();

    // Appends count frames of region in rows of columns, row by row; the
    // remainders of the integer divisions stay unused. False, with nothing
    // appended, for counts below 1 or without data.
    bool CreateFrames(ImageData* data, const Rectangle_t<int>& region, int count, int columns);

private:
    int m_nColumnCount = 1;
    ZQVector<SmartPtr<ImageFrame>> m_Frames;
};

}  // namespace ZQ2
