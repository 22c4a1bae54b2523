#pragma once
// A pixel-exact hit test for a sprite: a point in the owner's local pixels
// is inside where the picture is opaque enough. The mask comes from a mask
// resource named in the data or, on the first test, from the owner's frame
// against a threshold; either way it ends up one bit per pixel.
#include "engine/core/Interface.h"
#include "engine/core/SmartPtr.h"
#include "engine/graphics/Mask.h"
#include "engine/math/Point_t.h"

namespace ZQ2 {

class AbstractProperty;
class ImageFrame;
class PropertyNode;

extern const char* const PROP_HITMASK;
extern const char* const PROP_HITMASKTHRESHOLD;

class iHitMask : public Interface {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // Reads "hitmask" (in "section") and "hitmaskthreshold" when given.
    explicit iHitMask(AbstractProperty* data);
    ~iHitMask() override;
    iHitMask(const iHitMask&) = delete;
    iHitMask& operator=(const iHitMask&) = delete;

    const RTTI& GetRTTI() const override { return rtti; }

    // p in the owner's local pixels (its rectangle's top-left is 0, 0).
    virtual bool IsInsideMask(const Point_t<float>& p);
    // The frame a mask is made from; the owner says which.
    virtual ImageFrame* GetHitMaskFrame() = 0;

    void SetProperties(PropertyNode* data);
    // Null lets the next test build a mask from the frame again.
    void SetHitMask(Mask* mask) { m_pMask = mask; }
    Mask* GetHitMask() const { return m_pMask.Get(); }
    // The smallest alpha that counts as inside; below 0 no mask is made
    // from the frame.
    int GetHitMaskThreshold() const { return m_nThreshold; }
    void SetHitMaskThreshold(int threshold) { m_nThreshold = threshold; }

private:
    SmartPtr<Mask> m_pMask;
    int m_nThreshold = -1;
};

}  // namespace ZQ2
