#include "engine/graphics/IndexBufferOpenGL.h"

namespace ZQ2 {

const RTTI* const IndexBufferOpenGL::rttis[] = {&IndexBuffer::rtti, nullptr};
const RTTI IndexBufferOpenGL::rtti("IndexBufferOpenGL", IndexBufferOpenGL::rttis);

IndexBufferOpenGL::IndexBufferOpenGL(unsigned int indexSize, unsigned int capacity)
    : IndexBuffer(indexSize, capacity), m_Indices(capacity, 0) {}

uint16_t* IndexBufferOpenGL::GetLockedIndices() const { return IsLocked() ? m_Indices.data() : nullptr; }

}  // namespace ZQ2
