#pragma once
// Placeholder objects for classes that data can name but that are not built
// yet: each answers the type record of the class it stands for, so the
// factory's table is complete and data-driven creation can be exercised.
#include <cstddef>
#include <utility>

#include "engine/core/BaseObject.h"
#include "engine/io/ObjectFactory.h"

namespace ZQ2 {

struct StandInName {
    const char* registered;  // the factory name data uses
    const char* className;   // the class it builds
};

class StandInObject : public BaseObject {
public:
    explicit StandInObject(const RTTI& record) : m_pRecord(&record) {}
    const RTTI& GetRTTI() const override { return *m_pRecord; }

private:
    const RTTI* m_pRecord;
};

template <const StandInName* Names, size_t I>
struct StandInEntry {
    static inline const RTTI* const rttis[] = {&BaseObject::rtti, nullptr};
    static inline const RTTI rtti{Names[I].className, rttis};
    static BaseObject* OnData(AbstractProperty*) { return new StandInObject(rtti); }
};

template <const StandInName* Names, size_t... I>
void RegisterStandIns(std::index_sequence<I...>) {
    (ObjectFactory::Instance()->AddFactoryFunction(Names[I].registered, &StandInEntry<Names, I>::OnData), ...);
}

}  // namespace ZQ2
