#include "engine/sprite/iHitMask.h"

#include "engine/io/AbstractProperty.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "engine/sprite/ResourceLookup.h"
#include "engine/sprite/Sprite.h"

namespace ZQ2 {

const RTTI* const iHitMask::rttis[] = {&Interface::rtti, nullptr};
const RTTI iHitMask::rtti("iHitMask", iHitMask::rttis);

const char* const PROP_HITMASK = "hitmask";
const char* const PROP_HITMASKTHRESHOLD = "hitmaskthreshold";

iHitMask::iHitMask(AbstractProperty* data) {
    if (data)
        SetProperties(data->ToNode());
}

iHitMask::~iHitMask() = default;

void iHitMask::SetProperties(PropertyNode* data) {
    if (!data)
        return;
    // Only a resource that is a mask will do; anything else leaves the mask
    // to be made from the frame.
    if (data->HasProperty(PROP_HITMASK)) {
        SetHitMask(DynamicCast<Mask>(
            ResourceLookup::GetResource(data->GetPropString(PROP_HITMASK), data->GetPropString(PROP_SECTION))));
    }
    if (data->HasProperty(PROP_HITMASKTHRESHOLD))
        m_nThreshold = data->GetValue(PROP_HITMASKTHRESHOLD)->ToInt();
}

bool iHitMask::IsInsideMask(const Point_t<float>& p) {
    if (!m_pMask) {
        if (m_nThreshold < 0)
            return false;
        ImageFrame* frame = GetHitMaskFrame();
        if (!frame)
            return false;
        SmartPtr<Mask> made(new Mask(frame, MASKTYPE_BIT, m_nThreshold));
        if (!made->IsFinished())
            return false;
        m_pMask = made;
    }
    if (!m_pMask->IsBitMask()) {
        // A mask resource keeps its own threshold unless one was given: an
        // unset threshold would make every pixel count.
        if (m_nThreshold >= 0)
            m_pMask->SetThreshold(m_nThreshold);
        m_pMask->ToBitMask();
    }
    // Truncated toward zero, so (-0.5, y) still tests column 0. The range is
    // checked on the floats: huge or NaN coordinates never reach a cast.
    if (!(p.x > -1.0f) || !(p.y > -1.0f))
        return false;
    if (p.x >= static_cast<float>(m_pMask->GetWidth()) || p.y >= static_cast<float>(m_pMask->GetHeight()))
        return false;
    return m_pMask->GetBit(static_cast<int>(p.x), static_cast<int>(p.y));
}

}  // namespace ZQ2
