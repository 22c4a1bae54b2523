#include "engine/graphics/IndexBuffer.h"

namespace ZQ2 {

const RTTI* const IndexBuffer::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI IndexBuffer::rtti("IndexBuffer", IndexBuffer::rttis);

IndexBuffer::IndexBuffer(unsigned int indexSize, unsigned int capacity)
    : m_nIndexSize(indexSize), m_nSize(indexSize * capacity), m_nCapacity(capacity) {}

bool IndexBuffer::Lock(bool discard) {
    if (discard)
        m_nUsed = 0;
    if (m_bLocked)
        return false;
    m_bLocked = true;
    return true;
}

bool IndexBuffer::Unlock() {
    if (!m_bLocked)
        return false;
    m_bLocked = false;
    return true;
}

}  // namespace ZQ2
