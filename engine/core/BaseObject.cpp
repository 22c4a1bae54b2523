#include "engine/core/BaseObject.h"

#include <cstdio>

namespace ZQ2 {

const RTTI* const BaseObject::rttis[] = {nullptr};
const RTTI BaseObject::rtti("BaseObject", BaseObject::rttis);

void* BaseObject::QueryInterface(const RTTI&) { return nullptr; }

std::string BaseObject::ToStringShort() const {
    char address[32];
    std::snprintf(address, sizeof address, "0x%llX",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(this)));
    return GetRTTI().GetName() + ": " + address;
}

std::string BaseObject::ToString() const { return ToStringShort() + "; "; }

}  // namespace ZQ2
