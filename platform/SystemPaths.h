#pragma once
// Where the user's and the program's folders are, after the XDG base
// directory conventions. Nothing is created or cached here.
#include <string>

namespace platform {

class SystemPaths {
public:
    // $HOME, else the password database's home of the current user; "" when
    // neither is known.
    static std::string HomeDir();
    // $XDG_DATA_HOME when it is set to an absolute path, else
    // <home>/.local/share; "" without a home.
    static std::string DataHome();
    // The folder holding the running executable (from /proc/self/exe), or "".
    static std::string ExecutableDir();
};

}  // namespace platform
