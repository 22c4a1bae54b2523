#include "engine/io/RegistryInt.h"

#include <cstdlib>

#include "platform/PreferencesStore.h"

namespace ZQ2 {

RegistryInt::RegistryInt(const std::string& path, unsigned long fallback, bool uncached)
    : RegistryBase(path, uncached), m_ulValue(fallback), m_ulDefault(fallback) {}

RegistryInt::operator unsigned long() {
    if (m_bCached && !m_bUncached)
        return m_ulValue;
    return Read();
}

// Only a value read from or written to the store counts as known: a new
// accessor's default says nothing about what the store holds.
RegistryInt& RegistryInt::operator=(unsigned long value) {
    if (m_bCached && !m_bUncached && value == m_ulValue)
        return *this;
    m_ulValue = value;
    Write();
    return *this;
}

unsigned long RegistryInt::Read() {
    const platform::PreferencesStore::Value* stored = Defaults().Get(m_sKeyFolder, m_sValueName);
    if (!stored) {
        m_ulValue = m_ulDefault;
        return m_ulValue;
    }
    m_ulValue = stored->m_bInteger ? static_cast<unsigned long>(stored->m_iNumber)
                                   : std::strtoul(stored->m_sText.c_str(), nullptr, 10);
    m_bCached = true;
    return m_ulValue;
}

void RegistryInt::Write() {
    Defaults().SetInteger(m_sKeyFolder, m_sValueName, static_cast<int64_t>(m_ulValue));
    m_bCached = true;
    Synchronize();
}

}  // namespace ZQ2
