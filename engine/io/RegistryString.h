#pragma once
// A text in the user's preferences, read and written through its key path.
#include <string>

#include "engine/io/RegistryBase.h"

namespace ZQ2 {

class RegistryString : public RegistryBase {
public:
    RegistryString(const std::string& path, const std::string& fallback = std::string(), bool uncached = false);

    // The cached text, or the stored one (the default when absent).
    operator std::string();
    // Writes unless the store is known to hold this text already.
    RegistryString& operator=(const std::string& value);

    const std::string& Read();
    void Write();

private:
    std::string m_sValue;
    std::string m_sDefault;
};

}  // namespace ZQ2
