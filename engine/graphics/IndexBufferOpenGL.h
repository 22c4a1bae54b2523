#pragma once
// The index buffer kept in main memory; the OpenGL renderer streams each
// drawn slice's indices from it into a buffer object.
#include <vector>

#include "engine/graphics/IndexBuffer.h"

namespace ZQ2 {

class IndexBufferOpenGL : public IndexBuffer {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // Indices are always 16 bits; indexSize is kept for the sizes.
    IndexBufferOpenGL(unsigned int indexSize, unsigned int capacity);

    const RTTI& GetRTTI() const override { return rtti; }
    uint16_t* GetLockedIndices() const override;

    // The indices whether locked or not, for drawing after the unlock.
    const uint16_t* GetIndexArray() const { return m_Indices.data(); }

private:
    mutable std::vector<uint16_t> m_Indices;
};

}  // namespace ZQ2
