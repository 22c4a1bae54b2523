#include "engine/core/Mutex.h"

#include "engine/core/MutexStd.h"

namespace ZQ2 {

Mutex* Mutex::Create(const std::string& name) { return new MutexStd(name); }

}  // namespace ZQ2
