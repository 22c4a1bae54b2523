#include "engine/graphics/VertexBufferSlice.h"

#include "engine/graphics/IndexBuffer.h"
#include "engine/graphics/VertexBuffer.h"

namespace ZQ2 {

const RTTI* const VertexBufferSlice::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI VertexBufferSlice::rtti("VertexBufferSlice", VertexBufferSlice::rttis);

Vertex* VertexBufferSlice::GetCurrentVertices() const {
    Vertex* vertices = m_pVertexBuffer ? m_pVertexBuffer->GetLockedVertices() : nullptr;
    return vertices ? vertices + m_nFirstVertex : nullptr;
}

uint16_t* VertexBufferSlice::GetCurrentIndices() const {
    uint16_t* indices = m_pIndexBuffer ? m_pIndexBuffer->GetLockedIndices() : nullptr;
    return indices ? indices + m_nFirstIndex : nullptr;
}

bool VertexBufferSlice::IsBatchableWith(const VertexBufferSlice& other) const {
    if (m_pVertexBuffer != other.m_pVertexBuffer || m_pIndexBuffer != other.m_pIndexBuffer)
        return false;
    if (m_nPrimitive != other.m_nPrimitive)
        return false;
    if (m_nPrimitive == PRIMITIVE_CLEAR)
        return m_nClearColor == other.m_nClearColor;
    if (m_pTexture != other.m_pTexture || m_eBlendMode != other.m_eBlendMode || m_bAlphaBlend != other.m_bAlphaBlend)
        return false;
    // Strips and fans restart at every slice; only lists continue.
    return m_nMode == MODE_LIST && other.m_nMode == MODE_LIST;
}

}  // namespace ZQ2
