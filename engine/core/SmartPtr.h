#pragma once
// Intrusive smart pointer: holds one reference on its object.
#include <utility>

namespace ZQ2 {

template <class T>
class SmartPtr {
public:
    SmartPtr() = default;
    SmartPtr(T* p) : m_pObject(p) {  // NOLINT: implicit by design, like a plain pointer
        if (m_pObject)
            m_pObject->AddRef();
    }
    SmartPtr(const SmartPtr& other) : SmartPtr(other.m_pObject) {}
    SmartPtr(SmartPtr&& other) noexcept : m_pObject(std::exchange(other.m_pObject, nullptr)) {}
    template <class U>
    SmartPtr(const SmartPtr<U>& other) : SmartPtr(other.Get()) {}  // NOLINT

    virtual ~SmartPtr() {
        if (m_pObject)
            m_pObject->Release();
    }

    // The new reference is taken before the old one is dropped, so assigning
    // the held pointer (or an object only the old pointee keeps alive) is safe.
    SmartPtr& operator=(T* p) {
        if (p)
            p->AddRef();
        if (m_pObject)
            m_pObject->Release();
        m_pObject = p;
        return *this;
    }
    SmartPtr& operator=(const SmartPtr& other) { return *this = other.m_pObject; }
    SmartPtr& operator=(SmartPtr&& other) noexcept {
        if (this != &other) {
            T* old = std::exchange(m_pObject, std::exchange(other.m_pObject, nullptr));
            if (old)
                old->Release();
        }
        return *this;
    }

    T* Get() const { return m_pObject; }
    T* operator->() const { return m_pObject; }
    T& operator*() const { return *m_pObject; }
    operator T*() const { return m_pObject; }  // NOLINT
    explicit operator bool() const { return m_pObject != nullptr; }

    bool operator==(const SmartPtr& other) const { return m_pObject == other.m_pObject; }
    bool operator!=(const SmartPtr& other) const { return m_pObject != other.m_pObject; }
    bool operator==(const T* p) const { return m_pObject == p; }
    bool operator!=(const T* p) const { return m_pObject != p; }
    bool operator<(const SmartPtr& other) const { return m_pObject < other.m_pObject; }

private:
    T* m_pObject = nullptr;
};

}  // namespace ZQ2
