#pragma once
// An integer in the user's preferences, read and written through its key path.
#include <string>

#include "engine/io/RegistryBase.h"

namespace ZQ2 {

class RegistryInt : public RegistryBase {
public:
    RegistryInt(const std::string& path, unsigned long fallback = 0, bool uncached = false);

    // The cached number, or the stored one (the default when absent).
    operator unsigned long();
    // Writes unless the store is known to hold this number already.
    RegistryInt& operator=(unsigned long value);

    unsigned long Read();
    void Write();

private:
    unsigned long m_ulValue = 0;
    unsigned long m_ulDefault = 0;
};

}  // namespace ZQ2
