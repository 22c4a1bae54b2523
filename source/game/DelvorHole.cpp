#include "source/game/DelvorHole.h"

#include "engine/io/ObjectInitializer.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "source/game/DelvorCharacter.h"

const ZQ2::RTTI* const DelvorHole::rttis[] = {&ClickObject::rtti, nullptr};
const ZQ2::RTTI DelvorHole::rtti("DelvorHole", DelvorHole::rttis);
ZQ2::ObjectInitializer DelvorHole::m_ObjectInitializer("DelvorHole", &DelvorHole::OnData);

DelvorHole::DelvorHole(ZQ2::AbstractProperty* node) : ClickObject(node) {
    ZQ2::PropertyNode* data = node ? node->ToNode() : nullptr;
    if (data && data->HasProperty("startstate"))
        m_iStartState = data->GetValue("startstate")->ToInt();
}

bool DelvorHole::CanAddWorker(ClickObject* worker) const {
    if (!worker)
        return false;
    const int present = GetNumWorkers();
    if (present == 1) {
        ClickObject* other = m_apWorkers[0] ? m_apWorkers[0] : m_apWorkers[1];
        if (other->GetRTTI().GetName() != worker->GetRTTI().GetName())
            return false;
    }
    return present < SLOTS;
}

void DelvorHole::AddWorker(ClickObject* worker) {
    const int slot = GetFreeDigSpot();
    if (!worker || slot < 0)
        return;
    m_apWorkers[slot] = worker;
    if (auto* figure = ZQ2::DynamicCast<DelvorCharacter>(worker))
        figure->SetCurrentHole(this);
}

void DelvorHole::RemoveWorker(ClickObject* worker) {
    for (ClickObject*& slot : m_apWorkers)
        if (slot == worker)
            slot = nullptr;
}

int DelvorHole::GetNumWorkers() const {
    int count = 0;
    for (ClickObject* slot : m_apWorkers)
        if (slot)
            ++count;
    return count;
}

ClickObject* DelvorHole::GetWorkerAtHoleLocation(int slot) const {
    return slot >= 0 && slot < SLOTS ? m_apWorkers[slot] : nullptr;
}

int DelvorHole::GetFreeDigSpot() const {
    for (int slot = 0; slot < SLOTS; ++slot)
        if (!m_apWorkers[slot])
            return slot;
    return -1;
}

bool DelvorHole::NeedDiggerAtHole() const { return (GetState() == 101 || GetState() == 102) && GetNumWorkers() <= 1; }
