#include "engine/core/RTTI.h"

namespace ZQ2 {

bool RTTI::DerivesFrom(const RTTI& other) const {
    if (this == &other)
        return true;
    if (!m_pParents)
        return false;
    for (const RTTI* const* p = m_pParents; *p; ++p) {
        if ((*p)->DerivesFrom(other))
            return true;
    }
    return false;
}

}  // namespace ZQ2
