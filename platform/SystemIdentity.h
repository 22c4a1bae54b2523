#pragma once
// Names that identify this machine and this build.
#include <string>

namespace platform {

class SystemIdentity {
public:
    // The machine's network node name, or "" when it has none.
    static std::string ComputerName();
    // The version the build was stamped with (DELVOR_VERSION), or "".
    static std::string ApplicationVersion();
};

}  // namespace platform
