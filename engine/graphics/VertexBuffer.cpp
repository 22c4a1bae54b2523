#include "engine/graphics/VertexBuffer.h"

#include <algorithm>

namespace ZQ2 {

const RTTI* const VertexBuffer::rttis[] = {&BaseObject::rtti, &Interface::rtti, nullptr};
const RTTI VertexBuffer::rtti("VertexBuffer", VertexBuffer::rttis);

VertexBuffer::VertexBuffer(unsigned int vertexSize, unsigned int capacity)
    : m_nVertexSize(vertexSize),
      m_nCapacity(std::min(capacity, MAX_CAPACITY)),
      m_nSize(vertexSize * std::min(capacity, MAX_CAPACITY)) {}

void* VertexBuffer::QueryInterface(const RTTI& which) {
    if (&which == &Interface::rtti)
        return static_cast<Lockable*>(this);
    return BaseObject::QueryInterface(which);
}

bool VertexBuffer::Lock(bool discard) { return Lockable::Lock(!discard); }

bool VertexBuffer::DoLock(bool keep) {
    if (!keep)
        m_nUsed = 0;
    return true;
}

}  // namespace ZQ2
