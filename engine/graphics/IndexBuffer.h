#pragma once
// The frame's shared index store: 16-bit indices that count from the start
// of the vertex buffer. One lock at a time.
#include <cstdint>

#include "engine/core/BaseObject.h"

namespace ZQ2 {

class IndexBuffer : public BaseObject {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    IndexBuffer(unsigned int indexSize, unsigned int capacity);

    const RTTI& GetRTTI() const override { return rtti; }

    // Discard restarts the used count at 0, even when the lock then fails
    // because the buffer is locked already.
    virtual bool Lock(bool discard);
    // False when the buffer is not locked.
    virtual bool Unlock();
    // The indices while locked, else null.
    virtual uint16_t* GetLockedIndices() const { return nullptr; }

    unsigned int GetIndexSize() const { return m_nIndexSize; }
    unsigned int GetSize() const { return m_nSize; }
    unsigned int GetCapacity() const { return m_nCapacity; }
    unsigned int GetUsed() const { return m_nUsed; }
    void SetUsed(unsigned int used) { m_nUsed = used; }
    bool IsLocked() const { return m_bLocked; }

private:
    unsigned int m_nIndexSize;
    unsigned int m_nSize;
    unsigned int m_nCapacity;
    unsigned int m_nUsed = 0;
    bool m_bLocked = false;
};

}  // namespace ZQ2
