#pragma once
// One contiguous run of the shared vertex and index buffers plus the state
// it is drawn with. The drawing context merges neighbours of equal state and
// the renderer draws each merged slice with one call.
#include <cstdint>

#include "engine/core/BaseObject.h"
#include "engine/graphics/Vertex.h"
#include "engine/graphics/eBlendMode.h"

namespace ZQ2 {

class ImageData;
class IndexBuffer;
class VertexBuffer;

class VertexBufferSlice : public BaseObject {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    enum ePrimitive : int {
        PRIMITIVE_CLEAR = 0,
        PRIMITIVE_TRIANGLES = 1,
        PRIMITIVE_LINES = 2,
    };

    // Triangles: 0 indexed list, 1 strip, 2 fan. Lines: 0 separate, 1 strip.
    enum eMode : int {
        MODE_LIST = 0,
        MODE_STRIP = 1,
        MODE_FAN = 2,
    };

    const RTTI& GetRTTI() const override { return rtti; }

    // This slice's first vertex in the locked buffer; null without a buffer
    // or while it is unlocked.
    Vertex* GetCurrentVertices() const;
    uint16_t* GetCurrentIndices() const;

    // Whether other can be drawn in the same call, appended to this slice.
    bool IsBatchableWith(const VertexBufferSlice& other) const;

    int m_nPrimitive = PRIMITIVE_TRIANGLES;
    int m_nMode = MODE_LIST;
    ImageData* m_pTexture = nullptr;  // not owned
    eBlendMode m_eBlendMode = BLENDMODE_BLEND;
    bool m_bAlphaBlend = true;
    uint32_t m_nClearColor = 0xFF000000u;  // ARGB
    unsigned int m_nFirstVertex = 0;
    unsigned int m_nVertexCount = 0;
    unsigned int m_nFirstIndex = 0;
    unsigned int m_nIndexCount = 0;
    VertexBuffer* m_pVertexBuffer = nullptr;  // not owned
    IndexBuffer* m_pIndexBuffer = nullptr;    // not owned
};

}  // namespace ZQ2
