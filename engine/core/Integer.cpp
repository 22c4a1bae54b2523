#include "engine/core/Integer.h"

#include <cstdlib>

namespace ZQ2 {

int Integer::parseInt(const String& text, int radix) {
    if (radix != 0 && (radix < 2 || radix > 36))
        return 0;
    return static_cast<int>(std::strtol(text.c_str(), nullptr, radix));
}

}  // namespace ZQ2
