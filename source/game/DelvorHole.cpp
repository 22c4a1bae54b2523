#include "source/game/DelvorHole.h"

#include "source/game/DelvorWorker.h"
#include "source/scenes/SceneGame.h"

const ZQ2::RTTI* const DelvorHole::rttis[] = {&ClickObject::rtti, nullptr};
const ZQ2::RTTI DelvorHole::rtti("DelvorHole", DelvorHole::rttis);

bool DelvorHole::CanAddWorker(ClickObject* worker) const {
    if (!worker)
        return false;
    if (m_sLayers.empty())
        return GetNumWorkers() == 0;
    auto* hand = ZQ2::DynamicCast<DelvorWorker>(worker);
    if (!hand)
        return false;
    if (GetNumWorkers() == 1 && GetWorker()->GetRTTI().GetName() != worker->GetRTTI().GetName())
        return false;
    return hand->WorkerNeededAtHole(const_cast<DelvorHole*>(this)) && GetNumWorkers() < 2;
}

void DelvorHole::AddWorker(ClickObject* worker) {
    for (ClickObject*& slot : m_apWorkers) {
        if (slot)
            continue;
        slot = worker;
        if (auto* hand = ZQ2::DynamicCast<DelvorWorker>(worker))
            hand->SetHole(this);
        return;
    }
}

void DelvorHole::SetLayers(const std::string& layers, const std::vector<int>& toughness) {
    m_sLayers = layers;
    m_Toughness = toughness;
    m_iDepth = 0;
    m_iRock = 0;
    m_iToughness = m_Toughness.empty() ? 0 : m_Toughness[0];
    SetHoleState(101);
}

char DelvorHole::GetCurrentHoleLayer() const {
    if (m_sLayers.empty() || !CanWorkOnHole() || m_iDepth >= static_cast<int>(m_sLayers.size()))
        return ' ';
    return m_sLayers[static_cast<size_t>(m_iDepth)];
}

bool DelvorHole::IsCurrentHoleLayerAnArtifact() const {
    const char layer = GetCurrentHoleLayer();
    return layer == 'G' || layer == 'S' || layer == 'B';
}

void DelvorHole::AdvanceHolePastDirt() {
    while (m_iDepth < static_cast<int>(m_sLayers.size()) && m_sLayers[static_cast<size_t>(m_iDepth)] == 'D')
        ++m_iDepth;
}

void DelvorHole::Pick(int power) {
    if (!IsCurrentHoleLayerRock())
        return;
    m_iToughness -= power;
    if (m_iToughness >= 1)
        return;
    ++m_iRock;
    ++m_iDepth;
    m_iToughness = m_iRock < static_cast<int>(m_Toughness.size()) ? m_Toughness[static_cast<size_t>(m_iRock)] : 0;
}

bool DelvorHole::Dig(int n) {
    for (int i = 0; i < n && IsCurrentHoleLayerDirt(); ++i)
        ++m_iDepth;
    return IsCurrentHoleLayerDirt();
}

int DelvorHole::GetWorkerIndex(DelvorWorker* worker) const {
    for (int i = 0; i < 2; ++i)
        if (worker && m_apWorkers[i] == worker)
            return i;
    return -1;
}

DelvorWorker* DelvorHole::GetOtherWorker(DelvorWorker* worker) const {
    const int index = GetWorkerIndex(worker);
    if (index < 0)
        return nullptr;
    return ZQ2::DynamicCast<DelvorWorker>(m_apWorkers[1 - index]);
}

bool DelvorHole::ShouldFlipWorker(DelvorWorker* worker) const {
    return worker && m_apWorkers[1] == worker && worker->GetState() != 1;
}

void DelvorHole::RemoveWorker(ClickObject* worker) {
    if (!worker)
        return;
    for (ClickObject*& slot : m_apWorkers)
        if (slot == worker)
            slot = nullptr;
    if (GetNumWorkers() == 0 && !m_sLayers.empty())
        SetHoleState(101);
    if (auto* hand = ZQ2::DynamicCast<DelvorWorker>(worker))
        if (hand->GetHole() == this)
            hand->SetHole(nullptr);
}

void DelvorHole::CleanupWorker(DelvorWorker* worker) {
    for (ClickObject*& slot : m_apWorkers)
        if (worker && slot == worker)
            slot = nullptr;
    if (worker && worker->GetHole() == this)
        worker->SetHole(nullptr);
}

void DelvorHole::SendDiggerHome(DelvorWorker* worker) {
    if (SceneGame* level = Level())
        level->SendDiggerHome(worker);
    RemoveWorker(worker);
}

void DelvorHole::SendDiggersHome() {
    ZQ2::SmartPtr<DelvorHole> self(this);
    for (ClickObject* slot : {m_apWorkers[0], m_apWorkers[1]})
        if (auto* hand = ZQ2::DynamicCast<DelvorWorker>(slot))
            SendDiggerHome(hand);
}

void DelvorHole::SendOtherWorkerHomeIfHungry(DelvorWorker* worker) {
    DelvorWorker* other = GetOtherWorker(worker);
    if (!other)
        return;
    const int activity = other->GetActivity();
    const bool hungry = activity == 8 || activity == 7 || activity == 6 || (activity == 4 && other->GetSubRequest() != 0);
    if (!hungry)
        return;
    other->ClearActivityModifer();
    if (SceneGame* level = Level())
        level->MoveWorkerToWaitingArea(other);
    RemoveWorker(other);
}

bool DelvorHole::CausePanic(bool hypnotise) {
    bool changed = false;
    for (ClickObject* slot : {m_apWorkers[0], m_apWorkers[1]}) {
        auto* hand = ZQ2::DynamicCast<DelvorWorker>(slot);
        if (!hand)
            continue;
        if (hypnotise && hand->IsWorkerHealthy()) {
            hand->SetActivity(10);
            changed = true;
        } else if (!hypnotise && hand->IsPanicked()) {
            hand->ClearIdleModifier();
            hand->Unhypnotize();
            changed = true;
        }
    }
    return changed;
}
