#pragma once
// Anything the render task draws: the node draws itself into the context it
// is handed, in its parent's coordinate frame.
#include "engine/core/Interface.h"

namespace ZQ2 {

class Graphics;

class iRenderable : public Interface {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    const RTTI& GetRTTI() const override { return rtti; }
    virtual void Render(Graphics* graphics) = 0;
};

}  // namespace ZQ2
