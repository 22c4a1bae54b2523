#include "engine/graphics/VertexBufferOpenGL.h"

namespace ZQ2 {

const RTTI* const VertexBufferOpenGL::rttis[] = {&VertexBuffer::rtti, nullptr};
const RTTI VertexBufferOpenGL::rtti("VertexBufferOpenGL", VertexBufferOpenGL::rttis);

VertexBufferOpenGL::VertexBufferOpenGL(unsigned int vertexSize, unsigned int capacity)
    : VertexBuffer(vertexSize, capacity), m_Vertices(GetCapacity(), Vertex{}) {}

Vertex* VertexBufferOpenGL::GetLockedVertices() const { return IsLocked() ? m_Vertices.data() : nullptr; }

}  // namespace ZQ2
