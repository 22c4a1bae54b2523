#pragma once
// The vertex buffer kept in main memory; the OpenGL renderer converts each
// slice's records into its own client array when the slice is taken.
#include <vector>

#include "engine/graphics/VertexBuffer.h"

namespace ZQ2 {

class VertexBufferOpenGL : public VertexBuffer {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // Records are always sizeof(Vertex); vertexSize is kept for the sizes.
    VertexBufferOpenGL(unsigned int vertexSize, unsigned int capacity);

    const RTTI& GetRTTI() const override { return rtti; }
    Vertex* GetLockedVertices() const override;

    // The records whether locked or not: the renderer draws after the
    // drawing context has unlocked the buffer.
    const Vertex* GetVertexArray() const { return m_Vertices.data(); }

private:
    mutable std::vector<Vertex> m_Vertices;
};

}  // namespace ZQ2
