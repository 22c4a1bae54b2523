#pragma once
// A one-channel picture of an image for pixel-exact hit tests and channel
// work: 8 bits of alpha per pixel, or 1 bit per pixel telling whether the
// alpha reaches a threshold (packed row after row without padding, most
// significant bit first). Made from a frame in memory, or loaded as a
// resource from a PNG file ("alphamask", "bitmask" or "colorlut").
#include <string>
#include <vector>

#include "engine/graphics/MaskData.h"
#include "engine/graphics/eMaskType.h"
#include "engine/io/ObjectInitializer.h"
#include "engine/io/ResourceObject.h"

namespace ZQ2 {

class ImageFrame;

extern const char* const PROP_ALPHAMASK;
extern const char* const PROP_BITMASK;
extern const char* const PROP_COLORLUT;

class Mask : public ResourceObject {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    static constexpr int DEFAULT_THRESHOLD = 128;

    // A mask resource for file; no data until Load.
    Mask(const std::string& file, eMaskType type, int threshold = DEFAULT_THRESHOLD);
    // Type 0, threshold 128, then the node's keys.
    explicit Mask(AbstractProperty* node);
    // Copies the alpha of every pixel of the frame; a bit mask is converted
    // at once. Without a frame or when its pixels cannot be read the mask
    // stays unfinished.
    Mask(ImageFrame* frame, eMaskType type, int threshold);
    // An alpha mask from width x height alpha bytes, top row first.
    Mask(int width, int height, const std::vector<unsigned char>& alpha, int threshold = DEFAULT_THRESHOLD);
    static BaseObject* OnData(AbstractProperty* node);

    const RTTI& GetRTTI() const override { return rtti; }
    std::string ToString() const override;

    // Reads the file (from where the resource's archive type says) as a PNG
    // and keeps the mask of this mask's type.
    void Load() override;
    BaseObject* GetResource() override { return this; }
    // The resource's release, then the pixels are dropped.
    void FreeResource() override;
    // "alphamask", "bitmask", "colorlut", in this order: each sets the type
    // and the file, so a later key wins.
    void SetProperties(PropertyNode* node) override;

    // One bit per pixel: 1 where alpha >= threshold. Irreversible; nothing
    // happens to a mask that is one already.
    void ToBitMask();
    // Keeps only the first frame of a grid of frameCount frames in rows of
    // columns. 8-bit and 32-bit masks only; false when nothing was cropped.
    bool Crop(int frameCount, int columns);
    // The bit of pixel (x, y) of a bit mask; false outside the mask.
    bool GetBit(int x, int y) const;

    int GetWidth() const { return m_Data.GetWidth(); }
    int GetHeight() const { return m_Data.GetHeight(); }
    int GetBitsPerPixel() const { return m_Data.GetBitsPerPixel(); }
    bool IsBitMask() const { return !m_Data.IsEmpty() && m_Data.GetBitsPerPixel() == 1; }
    eMaskType GetType() const { return m_eType; }
    int GetThreshold() const { return m_nThreshold; }
    void SetThreshold(int threshold) { m_nThreshold = threshold; }
    bool IsFinished() const { return IsLoaded(); }
    const std::vector<unsigned char>& GetData() const { return m_Data.GetBytes(); }
    MaskData& GetMaskData() { return m_Data; }
    const MaskData& GetMaskData() const { return m_Data; }

private:
    void CopyAlpha(ImageFrame* frame);

    static ObjectInitializer m_ObjectInitializer;

    MaskData m_Data;
    eMaskType m_eType;
    int m_nThreshold;
};

}  // namespace ZQ2
