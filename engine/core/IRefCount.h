#pragma once
// Pure interface of intrusive reference counting.

namespace ZQ2 {

template <class T>
class IRefCount {
public:
    virtual ~IRefCount() = default;
    virtual void AddRef() = 0;
    virtual void Release() = 0;
    virtual T* GetPtr() const = 0;
    virtual void Destroy() = 0;
};

}  // namespace ZQ2
