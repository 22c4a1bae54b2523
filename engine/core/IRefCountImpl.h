#pragma once
// Intrusive reference count: a new object starts at 0 and destroys itself
// when a Release brings the count back to exactly 0. Not thread-safe by design:
// objects are counted on one thread at a time.
#include <cstdint>

#include "engine/core/IRefCount.h"

namespace ZQ2 {

template <class T>
class IRefCountImpl : public IRefCount<T> {
public:
    void AddRef() override { ++m_nRefCount; }

    void Release() override {
        if (--m_nRefCount == 0)
            Destroy();
    }

    void Destroy() override {
        if (T* p = this->GetPtr())
            delete p;
    }

    int32_t GetRefCount() const { return m_nRefCount; }

protected:
    IRefCountImpl() = default;
    // A copy is a new object: it starts uncounted.
    IRefCountImpl(const IRefCountImpl&) : IRefCount<T>() {}
    IRefCountImpl& operator=(const IRefCountImpl&) { return *this; }

private:
    int32_t m_nRefCount = 0;
};

}  // namespace ZQ2
