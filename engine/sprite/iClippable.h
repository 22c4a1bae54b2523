#pragma once
// A node whose drawing, and its children's, is cut to a polygon given in the
// node's parent frame (the frame the node itself is drawn in).
#include "engine/core/Interface.h"

namespace ZQ2 {

class PolygonF;

class iClippable : public Interface {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    const RTTI& GetRTTI() const override { return rtti; }
    // Null when nothing is clipped.
    virtual PolygonF* GetClipPolygon() = 0;
};

}  // namespace ZQ2
