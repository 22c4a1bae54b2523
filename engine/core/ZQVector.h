#pragma once
// The engine's growable array over malloc'd storage. Grows to 16 slots, then
// doubles. Trivially copyable elements are relocated byte for byte; any other
// element (strings, smart pointers, font lines) is moved and destroyed, so
// types that point into their own storage stay valid.
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

namespace ZQ2 {

template <class T>
class ZQVector {
public:
    ZQVector() = default;

    ZQVector(int size, int reserve) {
        const int capacity = size > reserve ? size : reserve;
        if (capacity > 0)
            AllocNewBuffer(capacity);
        if (size > 0) {
            CallConstructRange(m_pBuffer, m_pBuffer + size);
            m_nCount = size;
        }
    }

    ZQVector(const ZQVector& other) {
        if (other.m_nCount == 0)
            return;
        AllocNewBuffer(other.m_nCount);
        CopyConstruct(m_pBuffer, other.m_pBuffer, other.m_nCount);
        m_nCount = other.m_nCount;
    }

    virtual ~ZQVector() {
        CallDestructRange(begin(), end());
        std::free(m_pBuffer);
    }

    ZQVector& operator=(const ZQVector& other) {
        if (this == &other)
            return *this;
        CallDestructRange(begin(), end());
        m_nCount = 0;
        if (m_nCapacity < other.m_nCount)
            AllocNewBuffer(other.m_nCount);
        CopyConstruct(m_pBuffer, other.m_pBuffer, other.m_nCount);
        m_nCount = other.m_nCount;
        return *this;
    }

    // Element access, no bounds checks.
    T& operator[](int i) { return m_pBuffer[i]; }
    const T& operator[](int i) const { return m_pBuffer[i]; }
    int size() const { return m_nCount; }
    int capacity() const { return m_nCapacity; }
    bool empty() const { return m_nCount == 0; }
    T* begin() { return m_pBuffer; }
    T* end() { return m_pBuffer + m_nCount; }
    const T* begin() const { return m_pBuffer; }
    const T* end() const { return m_pBuffer + m_nCount; }
    T* data() { return m_pBuffer; }
    T& back() { return m_pBuffer[m_nCount - 1]; }
    T& front() { return m_pBuffer[0]; }

    T* push_back(const T& value) {
        if (m_nCount == m_nCapacity && IsInside(&value)) {
            T copy(value);  // value lives in the buffer that is about to move
            return push_back(copy);
        }
        ReserveBuffer(m_nCount + 1);
        new (m_pBuffer + m_nCount) T(value);
        return m_pBuffer + m_nCount++;
    }

    T* push_back_if_unique(const T& value) {
        T* found = find(value);
        return found != end() ? found : push_back(value);
    }

    void push_front(const T& value) {
        const T copy(value);
        insert(begin(), &copy, &copy + 1);
    }

    void append(const ZQVector& other) {
        if (&other == this) {
            const ZQVector copy(other);
            append(copy);
            return;
        }
        insert(end(), other.begin(), other.end());
    }

    T* insert(T* pos, const T* first, const T* last) {
        const int n = static_cast<int>(last - first);
        const int i = static_cast<int>(pos - m_pBuffer);
        if (n <= 0)
            return pos;
        if (i >= m_nCount) {
            ReserveBuffer(m_nCount + n);
        } else {
            const int tail = m_nCount - i;
            const bool room = m_nCount + n <= m_nCapacity;
            if (room && n > tail) {
                Relocate(m_pBuffer + i + n, m_pBuffer + i, tail);
            } else if (room && i > tail) {
                T* block = Allocate(tail);
                Relocate(block, m_pBuffer + i, tail);
                Relocate(m_pBuffer + i + n, block, tail);
                std::free(block);
            } else {
                // From the present capacity, which must never shrink.
                const int capacity = GrowthSize(m_nCount + n, m_nCapacity);
                T* fresh = Allocate(capacity);
                Relocate(fresh, m_pBuffer, i);
                Relocate(fresh + i + n, m_pBuffer + i, tail);
                std::free(m_pBuffer);
                m_pBuffer = fresh;
                m_nCapacity = capacity;
            }
        }
        CopyConstruct(m_pBuffer + i, first, n);
        m_nCount += n;
        return m_pBuffer + i;
    }

    // Closes the gap in place: the buffer, the capacity and the pointers to
    // elements before first stay as they are.
    T* erase(T* first, T* last) {
        const int n = static_cast<int>(last - first);
        if (n <= 0)
            return first;
        const int i = static_cast<int>(first - m_pBuffer);
        const int j = static_cast<int>(last - m_pBuffer);
        CallDestructRange(first, last);
        RelocateDown(m_pBuffer + i, m_pBuffer + j, m_nCount - j);
        m_nCount -= n;
        return m_pBuffer + i;
    }

    // Erases every element for which doomed(element) is true, keeping the
    // order of the rest, in one pass; answers how many went. Neither doomed
    // nor a destructor may throw or touch the vector meanwhile.
    template <class Predicate>
    int remove_if(Predicate doomed) {
        int kept = 0;
        for (int k = 0; k < m_nCount; ++k) {
            T* p = m_pBuffer + k;
            if (doomed(*p)) {
                CallDestructRange(p, p + 1);
                continue;
            }
            if (k != kept)
                RelocateDown(m_pBuffer + kept, p, 1);
            ++kept;
        }
        const int removed = m_nCount - kept;
        m_nCount = kept;
        return removed;
    }

    void remove(const T& value) { remove(begin(), end(), value); }

    void remove(T* first, T* last, const T& value) {
        T* found = Find(first, last, value);
        if (found != end() && found < last)
            erase(found, found + 1);
    }

    void pop_back() { erase(end() - 1, end()); }

    void resize(int n) {
        if (n == m_nCount || n < 0)
            return;
        ReserveBuffer(n);
        if (n > m_nCount)
            CallConstructRange(m_pBuffer + m_nCount, m_pBuffer + n);
        else
            CallDestructRange(m_pBuffer + n, m_pBuffer + m_nCount);
        m_nCount = n;
    }

    void clear() { resize(0); }

    T* find(const T& value) { return Find(begin(), end(), value); }
    const T* find(const T& value) const { return Find(begin(), end(), value); }

    // Searches [first, last); answers the vector's end when nothing matches.
    T* Find(T* first, T* last, const T& value) {
        for (T* p = first; p < last; ++p) {
            if (*p == value)
                return p;
        }
        return end();
    }
    const T* Find(const T* first, const T* last, const T& value) const {
        for (const T* p = first; p < last; ++p) {
            if (*p == value)
                return p;
        }
        return end();
    }

    bool contains(const T& value) const { return find(value) != end(); }

    void reverse() { reverse(begin(), end()); }

    void reverse(T* first, T* last) {
        const int n = static_cast<int>(last - first);
        if (n < 1)
            return;
        T* block = Allocate(n);
        Relocate(block, first, n);
        for (int k = 0; k < n; ++k)
            Relocate(first + k, block + n - 1 - k, 1);
        std::free(block);
    }

    // Buffer helpers.
    void ReserveBuffer(int n) {
        if (m_nCapacity >= n)
            return;
        ResizeBuffer(GrowthSize(n, m_nCapacity));
    }

    void ResizeBuffer(int capacity) {
        if (m_nCount > 0)
            ResizeBuffer(capacity, m_nCount);
        else
            AllocNewBuffer(capacity);
    }

    void ResizeBuffer(int capacity, int keep) {
        T* fresh = Allocate(capacity);
        if (m_pBuffer)
            Relocate(fresh, m_pBuffer, keep);
        std::free(m_pBuffer);
        m_pBuffer = fresh;
        m_nCapacity = capacity;
    }

    // Replaces the buffer; the caller has destroyed the elements.
    void AllocNewBuffer(int capacity) {
        std::free(m_pBuffer);
        m_pBuffer = Allocate(capacity);
        m_nCapacity = capacity;
    }

    // New slots are value-initialised: numbers zero, pointers null, strings empty.
    static void CallConstructRange(T* first, T* last) {
        for (T* p = first; p < last; ++p)
            new (p) T();
    }

    static void CallDestructRange(T* first, T* last) {
        if constexpr (!std::is_trivially_destructible_v<T>) {
            for (T* p = first; p < last; ++p)
                p->~T();
        }
    }

private:
    static T* Allocate(int n) {
        void* p = std::malloc(static_cast<size_t>(n > 0 ? n : 1) * sizeof(T));
        if (!p)
            throw std::bad_alloc();
        return static_cast<T*>(p);
    }

    // Moves n elements into raw memory that does not overlap the source;
    // the source slots become raw memory.
    static void Relocate(T* dst, T* src, int n) {
        if (n <= 0)
            return;
        if constexpr (std::is_trivially_copyable_v<T>) {
            std::memcpy(static_cast<void*>(dst), static_cast<const void*>(src), static_cast<size_t>(n) * sizeof(T));
        } else {
            for (int k = 0; k < n; ++k) {
                new (dst + k) T(std::move(src[k]));
                src[k].~T();
            }
        }
    }

    // Moves n elements to a lower address of the same buffer, first to last;
    // the slots from dst up to src are raw memory, so each element lands on
    // a raw slot, and the vacated source slots become raw memory.
    static void RelocateDown(T* dst, T* src, int n) {
        if (n <= 0)
            return;
        if constexpr (std::is_trivially_copyable_v<T>) {
            std::memmove(static_cast<void*>(dst), static_cast<const void*>(src), static_cast<size_t>(n) * sizeof(T));
        } else {
            for (int k = 0; k < n; ++k) {
                new (dst + k) T(std::move(src[k]));
                src[k].~T();
            }
        }
    }

    static void CopyConstruct(T* dst, const T* src, int n) {
        for (int k = 0; k < n; ++k)
            new (dst + k) T(src[k]);
    }

    // Capacity raised to 16 and doubled until it holds n.
    static int GrowthSize(int n, int capacity = 0) {
        int c = capacity < 16 ? 16 : capacity;
        while (c < n)
            c *= 2;
        return c;
    }

    bool IsInside(const T* p) const { return p >= m_pBuffer && p < m_pBuffer + m_nCount; }

    T* m_pBuffer = nullptr;
    int m_nCount = 0;
    int m_nCapacity = 0;
};

}  // namespace ZQ2
