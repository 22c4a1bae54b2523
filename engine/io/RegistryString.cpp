#include "engine/io/RegistryString.h"

#include "platform/PreferencesStore.h"

namespace ZQ2 {

RegistryString::RegistryString(const std::string& path, const std::string& fallback, bool uncached)
    : RegistryBase(path, uncached), m_sValue(fallback), m_sDefault(fallback) {}

RegistryString::operator std::string() {
    if (m_bCached && !m_bUncached)
        return m_sValue;
    return Read();
}

// Only a value read from or written to the store counts as known: a new
// accessor's default says nothing about what the store holds.
RegistryString& RegistryString::operator=(const std::string& value) {
    if (m_bCached && !m_bUncached && value == m_sValue)
        return *this;
    m_sValue = value;
    Write();
    return *this;
}

const std::string& RegistryString::Read() {
    const platform::PreferencesStore::Value* stored = Defaults().Get(m_sKeyFolder, m_sValueName);
    if (!stored) {
        m_sValue = m_sDefault;
        return m_sValue;
    }
    m_sValue = stored->m_bInteger ? std::to_string(stored->m_iNumber) : stored->m_sText;
    m_bCached = true;
    return m_sValue;
}

void RegistryString::Write() {
    Defaults().SetString(m_sKeyFolder, m_sValueName, m_sValue);
    m_bCached = true;
    Synchronize();
}

}  // namespace ZQ2
