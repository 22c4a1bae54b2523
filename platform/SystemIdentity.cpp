#include "platform/SystemIdentity.h"

#include <sys/utsname.h>

namespace platform {

std::string SystemIdentity::ComputerName() {
    struct utsname names;
    if (uname(&names) != 0)
        return "";
    return names.nodename;
}

std::string SystemIdentity::ApplicationVersion() {
#ifdef DELVOR_VERSION
    return DELVOR_VERSION;
#else
    return "";
#endif
}

}  // namespace platform
