#pragma once
// Run-time type record: a class name and the records of its direct bases.
// The engine tests types with these records, never with the compiler's RTTI.
#include <string>

namespace ZQ2 {

class RTTI {
public:
    // parents: null-terminated array of the direct bases' records, in base-list
    // order. Constant-initialised, so records are usable during static init.
    constexpr RTTI(const char* name, const RTTI* const* parents) : m_szName(name), m_pParents(parents) {}
    RTTI(const RTTI&) = delete;
    RTTI& operator=(const RTTI&) = delete;

    std::string GetName() const { return m_szName; }
    const char* GetNameC() const { return m_szName; }
    const RTTI* const* GetParents() const { return m_pParents; }

    // True when other is this record or one of its ancestors.
    bool DerivesFrom(const RTTI& other) const;

private:
    const char* m_szName;
    const RTTI* const* m_pParents;
};

}  // namespace ZQ2
