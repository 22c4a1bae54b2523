#pragma once
// Fixed insets of a dialog painter's centre, in pixels.

namespace ZQ2 {

class PropertyNode;

extern const char* const PROP_OFFSETLEFT;
extern const char* const PROP_OFFSETRIGHT;
extern const char* const PROP_OFFSETTOP;
extern const char* const PROP_OFFSETBOTTOM;

class OffsetObject {
public:
    // Each inset is 0 unless its key is present.
    explicit OffsetObject(PropertyNode* data);

    // Whether the node gives any of the four insets.
    static bool IsGivenBy(PropertyNode* data);

    int m_iLeft = 0;
    int m_iRight = 0;
    int m_iTop = 0;
    int m_iBottom = 0;
};

}  // namespace ZQ2
