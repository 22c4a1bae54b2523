#include "source/game/DelvorHole.h"

#include "engine/core/Random.h"
#include "engine/sprite/GameTree.h"
#include "source/game/DelvorMeter.h"
#include "source/game/DelvorReqBalloon.h"
#include "source/game/DelvorWorker.h"
#include "source/scenes/SceneGame.h"

const ZQ2::RTTI* const DelvorHole::rttis[] = {&ClickObject::rtti, nullptr};
const ZQ2::RTTI DelvorHole::rtti("DelvorHole", DelvorHole::rttis);

DelvorHole::~DelvorHole() {
    if (m_pReqBalloon)
        m_pReqBalloon->Release();
    if (m_pMeter)
        m_pMeter->Release();
}

void DelvorHole::AddWorker(ClickObject* worker) {
    for (ClickObject*& slot : m_apWorkers) {
        if (!slot) {
            slot = worker;
            return;
        }
    }
}

void DelvorHole::InitHole(float x, float y) {
    SetLocation(x, y);
    m_pReqBalloon = new DelvorReqBalloon(x, y, nullptr, nullptr, nullptr);
    m_pReqBalloon->AddRef();
    m_pReqBalloon->Init(this);
    m_pMeter = new DelvorMeter(0.0f, 0.0f, nullptr, nullptr, nullptr);
    m_pMeter->AddRef();
    ZQ2::GameTree::LinkNodeUnder(this, m_pMeter);
    m_pMeter->Init(this);
    m_pMeter->Show(false);
}

void DelvorHole::CleanupHole() {
    if (m_pMeter)
        m_pMeter->Cleanup();
    if (m_pReqBalloon)
        m_pReqBalloon->SetHole(nullptr);
}

DelvorWorker* DelvorHole::GetWorkerAtHoleLocation(int slot) const {
    if (slot < 0 || slot >= WORKER_SLOTS)
        return nullptr;
    return ZQ2::DynamicCast<DelvorWorker>(m_apWorkers[slot]);
}

int DelvorHole::GetNumWorkers() const { return (m_apWorkers[0] ? 1 : 0) + (m_apWorkers[1] ? 1 : 0); }

void DelvorHole::SetupHole(int gold, int silver, int bronze) {
    int minDepth = 1;
    int maxDepth = 1;
    if (SceneGame* level = Level()) {
        minDepth = level->GetVariables().iMinDepth;
        maxDepth = level->GetVariables().iMaxDepth;
    }
    m_sLayers.clear();
    ZQ2::Random* random = ZQ2::Random::Instance();
    for (int n = gold + silver + bronze; n > 0; --n) {
        const int length = (maxDepth > minDepth ? random->GetInt(minDepth, maxDepth + 1) : minDepth) + 1;
        m_sLayers.append(static_cast<size_t>(length - 1), 'D');
        char letter = 'G';
        if (silver > 0 && bronze > 0)
            letter = random->GetInt(0, 10) <= 5 ? 'B' : 'S';
        else if (bronze > 0)
            letter = 'B';
        else if (silver > 0)
            letter = 'S';
        (letter == 'B' ? bronze : letter == 'S' ? silver : gold) -= 1;
        m_sLayers.push_back(letter);
    }
    m_iDepth = 0;
    m_iHoleState = 101;
}

char DelvorHole::GetHoleLayer(int i) const {
    if (i < 0 || i >= static_cast<int>(m_sLayers.size()))
        return 0;
    return m_sLayers[static_cast<size_t>(i)];
}

char DelvorHole::GetCurrentHoleLayer() const {
    if (m_sLayers.empty())
        return ' ';
    return GetHoleLayer(m_iDepth + (m_pMeter ? m_pMeter->GetRoundedDigProgress() : 0));
}

void DelvorHole::AdvanceHolePastDirt() {
    while (GetHoleLayer(m_iDepth) == 'D')
        ++m_iDepth;
    if (m_pMeter && m_pMeter->GetDigProgress() != 0.0f)
        m_pMeter->SetDigProgress(0.0f);
}

int DelvorHole::GetHoleContentsSnapshot(std::string& out, int count, int offset) const {
    const int start = m_iDepth + offset;
    const int total = static_cast<int>(m_sLayers.size());
    if (start + count >= total)
        count = total - start;
    out = count > 0 ? m_sLayers.substr(static_cast<size_t>(start), static_cast<size_t>(count)) : std::string();
    return count > 0 ? count : 0;
}

int DelvorHole::GetNextArtifactIndex(int i, char& letter) const {
    const int total = static_cast<int>(m_sLayers.size());
    for (int j = i + 1; j < total; ++j) {
        const char layer = m_sLayers[static_cast<size_t>(j)];
        if (layer == 'G' || layer == 'S' || layer == 'B') {
            letter = layer;
            return j;
        }
    }
    return -1;
}

bool DelvorHole::CanVuruProcessHole() const {
    if (GetNumWorkers() != 0)
        return false;
    const char layer = GetCurrentHoleLayer();
    const bool artifact = layer == 'G' || layer == 'S' || layer == 'B';
    return (m_iHoleState == 101 && artifact) || m_iHoleState == 100;
}

int DelvorHole::GetHoleRequestFromState() const {
    if (m_iHoleState != 101)
        return 0;
    switch (GetCurrentHoleLayer()) {
        case 'G':
        case 'S':
        case 'B':
            return DelvorReqBalloon::REQUEST_VURU;
        case 'R':
            return DelvorReqBalloon::REQUEST_PICK;
        case 'D':
            return DelvorReqBalloon::REQUEST_SHOVEL;
        default:
            return DelvorReqBalloon::REQUEST_NONE;
    }
}

void DelvorHole::ShowRequestBalloon(bool show) {
    if (m_pReqBalloon)
        m_pReqBalloon->ShowRequestBalloon(show);
}

void DelvorHole::SetWorkerServed(int slot, bool served) {
    if (slot >= 0 && slot < WORKER_SLOTS)
        m_abServed[slot] = served;
}

bool DelvorHole::SetupRequestBalloon() { return DelvorReqBalloon::SetupHoleRequests(this); }

bool DelvorHole::DoesObjectMatchRequest(ClickObject* object, int& slot) {
    return DelvorReqBalloon::DoesObjectMatchRequest(this, object, slot);
}

bool DelvorHole::DoesObjectMatchRequest(ClickObject* object) {
    int slot = -1;
    return DoesObjectMatchRequest(object, slot);
}

bool DelvorHole::DoesItemMatchRequest(const std::string& name) {
    return DelvorReqBalloon::DoesItemMatchRequest(this, name);
}

bool DelvorHole::UseItem(ClickObject* object) { return DelvorReqBalloon::UseItemAtHole(this, object); }

bool DelvorHole::IsAction(ClickObject* object) { return DelvorReqBalloon::GetHoleAction(this, object) != 0; }

void DelvorHole::StartDelivery() {
    m_iToolsUsed = 0;
    EndDelivery();
}

void DelvorHole::EndDelivery() {
    for (bool& served : m_abServed)
        served = false;
}
