#pragma once
// An owned byte buffer that file readers fill. One zero byte always follows
// the data, so a buffer holding text can be handed to C string parsers.
#include <cstdlib>
#include <cstring>

#include "engine/core/BaseObject.h"

namespace ZQ2 {

template <class T>
class MemoryBuffer_t : public BaseObject {
public:
    static inline const RTTI* const rttis[] = {&BaseObject::rtti, nullptr};
    static inline const RTTI rtti{"MemoryBuffer_t", rttis};

    explicit MemoryBuffer_t(int size = 0) {
        if (size >= 1)
            CreateBuffer(size);
    }
    MemoryBuffer_t(const MemoryBuffer_t&) = delete;
    MemoryBuffer_t& operator=(const MemoryBuffer_t&) = delete;
    ~MemoryBuffer_t() override { Flush(); }

    const RTTI& GetRTTI() const override { return rtti; }

    // Releases what is held, then allocates size elements (not cleared).
    // False for a negative size or when memory runs out.
    bool CreateBuffer(int size) {
        Flush();
        if (size < 0)
            return false;
        void* p = std::malloc(static_cast<size_t>(size) * sizeof(T) + sizeof(T));
        if (!p)
            return false;
        m_pData = static_cast<T*>(p);
        std::memset(static_cast<void*>(m_pData + size), 0, sizeof(T));
        m_nSize = size;
        return true;
    }

    void Flush() {
        std::free(m_pData);
        std::free(m_pExtra);
        m_pData = nullptr;
        m_pExtra = nullptr;
        m_nSize = 0;
        m_nExtraSize = 0;
    }

    T* GetData() { return m_pData; }
    const T* GetData() const { return m_pData; }
    int GetSize() const { return m_nSize; }

    // Shortens the data to size (never grows) and keeps the terminating zero.
    void Truncate(int size) {
        if (!m_pData || size < 0 || size >= m_nSize)
            return;
        m_nSize = size;
        std::memset(static_cast<void*>(m_pData + size), 0, sizeof(T));
    }

private:
    T* m_pData = nullptr;
    int m_nSize = 0;
    T* m_pExtra = nullptr;
    int m_nExtraSize = 0;
};

}  // namespace ZQ2
