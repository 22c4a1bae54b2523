#pragma once
// The frame's shared vertex store: a fixed capacity of vertex records that
// the drawing contexts fill while it is locked. Locks nest; the outermost
// one decides whether the contents are kept or start over.
#include "engine/core/BaseObject.h"
#include "engine/core/Lockable.h"
#include "engine/graphics/Vertex.h"

namespace ZQ2 {

class VertexBuffer : public BaseObject, public Lockable {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // Indices are 16 bits wide, so no more vertices can be addressed.
    static constexpr unsigned int MAX_CAPACITY = 65536;

    // capacity is limited to MAX_CAPACITY.
    VertexBuffer(unsigned int vertexSize, unsigned int capacity);

    const RTTI& GetRTTI() const override { return rtti; }
    // The lockable part answers the interface record.
    void* QueryInterface(const RTTI& which) override;
    BaseObject* QueryBaseObject() override { return this; }

    // For a vertex buffer the flag means discard: the used count restarts
    // at 0. A nested lock asking for discard fails while the outermost lock
    // kept the contents.
    bool Lock(bool discard) override;
    // The records while locked, else null.
    virtual Vertex* GetLockedVertices() const { return nullptr; }

    unsigned int GetVertexSize() const { return m_nVertexSize; }
    unsigned int GetSize() const { return m_nSize; }
    unsigned int GetCapacity() const { return m_nCapacity; }
    unsigned int GetUsed() const { return m_nUsed; }
    void SetUsed(unsigned int used) { m_nUsed = used; }
    bool IsLocked() const { return GetLockCount() > 0; }

protected:
    // keep is the inverse of discard.
    bool DoLock(bool keep) override;
    bool DoUnlock() override { return true; }

private:
    unsigned int m_nVertexSize;
    unsigned int m_nCapacity;
    unsigned int m_nSize;
    unsigned int m_nUsed = 0;
};

}  // namespace ZQ2
