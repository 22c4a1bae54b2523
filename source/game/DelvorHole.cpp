#include "source/game/DelvorHole.h"

#include <algorithm>
#include <cstdlib>
#include <cstdio>

#include "engine/core/Random.h"
#include "engine/graphics/Image.h"
#include "engine/graphics/ImageUtils.h"
#include "engine/graphics/iImageLoader.h"
#include "engine/io/BasicProperties.h"
#include "engine/io/ObjectInitializer.h"
#include "engine/io/PropertyNode.h"
#include "engine/modifier/ModifierContainer.h"
#include "engine/modifier/ModifierDelay.h"
#include "engine/modifier/ModifierFrame.h"
#include "engine/modifier/ModifierLocationLine.h"
#include "engine/modifier/ModifierMethod.h"
#include "engine/modifier/ModifierVisible.h"
#include "engine/resource/ResourceManager.h"
#include "engine/sound/Sound.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/ResourceLookup.h"
#include "source/game/DelvorMeter.h"
#include "source/game/DelvorReqBalloon.h"
#include "source/game/DelvorWorker.h"
#include "source/game/Vuru.h"
#include "source/main/DelvorMain.h"
#include "source/scenes/DVUpgradeHandler.h"
#include "source/scenes/SceneGame.h"

const ZQ2::RTTI* const DelvorHole::rttis[] = {&ClickObject::rtti, nullptr};
const ZQ2::RTTI DelvorHole::rtti("DelvorHole", DelvorHole::rttis);
ZQ2::ObjectInitializer DelvorHole::m_ObjectInitializer("DelvorHole", &DelvorHole::OnData);

namespace {

const char* const kSection = "delvor";
// The loop count of an animation that runs until it is stopped.
constexpr int kEndless = -999;
constexpr int kDustFrameMs = 100;
constexpr int kBrushFrameMs = 100;
constexpr int kSparkleFrameMs = 45;
constexpr float kSparkleScale = 0.75f;
constexpr float kSparkleHiddenAt = -50.0f;
constexpr int kSiftMoves = 16;
constexpr float kSiftReach = 10.0f;
constexpr int kScoreArtifactStolen = 15;

// Worker activities the hole looks at.
constexpr int kWalking = 1;
constexpr int kAskingForNeed = 4;
constexpr int kWorking = 5;
constexpr int kEating = 6;
constexpr int kDrinking = 7;
constexpr int kDizzy = 8;
constexpr int kHypnotised = 9;
constexpr int kPanicking = 10;
constexpr int kNoRestart = 12;

// Requests the hole and its workers and Vuru use.
constexpr int kFood = 8;
constexpr int kWater = 9;
constexpr int kMedicine = 10;
constexpr int kSifter = 4;
constexpr int kBrush = 5;
constexpr int kBottle = 6;
constexpr int kBottleMulti = 7;

// Upgrade types of the tool times and the pick power.
constexpr int kUpgradeSift = 8;
constexpr int kUpgradeBrush = 9;
constexpr int kUpgradePick = 10;

// Vuru's state while she asks for tools at a hole.
constexpr int kVuruRequesting = 3;
constexpr int kVuruWaiting = 4;

// A value in [min, maxExclusive); an empty range gives min.
int Draw(int min, int maxExclusive) {
    if (maxExclusive <= min)
        return min;
    return ZQ2::Random::Instance()->GetInt(min, maxExclusive);
}

int Constant(const char* key) { return ZQ2::BasicProperties::GetInteger(key); }

float ConstantX(const char* key) { return static_cast<float>(Constant(key)); }

int UpgradeValue(int type) {
    DVUpgradeHandler* upgrades = DVUpgradeHandler::g_Instance;
    return upgrades ? upgrades->GetCurrentUpgradeValue(type) : 0;
}

int TopUpgrade(int type) {
    DVUpgradeHandler* upgrades = DVUpgradeHandler::g_Instance;
    return upgrades ? upgrades->GetTopUpgradeOfType(type) : 0;
}

int ReadInteger(ZQ2::PropertyNode* node, const char* key) {
    if (!node || !node->HasProperty(key))
        return 0;
    return std::atoi(node->GetPropString(key).c_str());
}

int StartStateFromText(const std::string& text) {
    if (text == "inactive")
        return DelvorHole::HOLE_INACTIVE;
    if (text == "survey")
        return DelvorHole::HOLE_SURVEY;
    return DelvorHole::HOLE_REQUEST;
}

std::string CountryName() {
    std::string name;
    DelvorMain::GetCountryResourceName(DelvorMain::m_nCurCountry, name);
    return name;
}

std::string CountrySection() {
    std::string section;
    DelvorMain::GetCountrySpecificSection(DelvorMain::m_nCurCountry, section);
    return section;
}

std::string Numbered(const char* format, const std::string& word, int number) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, format, word.c_str(), number);
    return buffer;
}

// Takes over the one reference an out parameter came with.
ZQ2::SmartPtr<ZQ2::Image> Adopt(ZQ2::Image* image) {
    ZQ2::SmartPtr<ZQ2::Image> held(image);
    if (image)
        image->Release();
    return held;
}

ZQ2::SmartPtr<ZQ2::Sprite> NewSprite(float x, float y, ZQ2::Image* image) {
    return ZQ2::SmartPtr<ZQ2::Sprite>(new ZQ2::Sprite(x, y, image));
}

void Retire(ZQ2::SmartPtr<ZQ2::Sprite>& sprite) {
    if (!sprite)
        return;
    sprite->SetVisible(false);
    sprite->SetObsolete(true);
    sprite = nullptr;
}

}  // namespace

// ---- construction

DelvorHole::DelvorHole(ZQ2::AbstractProperty* node) : ClickObject(node) {
    auto* data = ZQ2::DynamicCast<ZQ2::PropertyNode>(node);
    const int x = ReadInteger(data, "x");
    const int y = ReadInteger(data, "y");
    if (data && data->HasProperty("startstate"))
        m_iStartState = StartStateFromText(data->GetPropString("startstate"));
    InitHole(static_cast<float>(x), static_cast<float>(y));
}

DelvorHole::DelvorHole(float x, float y, ZQ2::Image* image, ZQ2::BaseObject* target,
                       ZQ2::iGuiMethod::Method callback)
    : ClickObject(x, y, image, target, callback) {
    InitHole(x, y);
}

DelvorHole::~DelvorHole() {
    EndHeld(m_pCleanStepModifier);
    EndHeld(m_pFlagFlapModifier);
    EndHeld(m_pSparkleModifier);
    EndHeld(m_pToolModifier);
    EndHeld(m_pDustModifier);
    CleanupHole();
    for (int slot = 0; slot < SLOT_COUNT; ++slot)
        if (m_aspWorkers[slot])
            ClearSlot(slot);
}

ZQ2::BaseObject* DelvorHole::OnData(ZQ2::AbstractProperty* node) { return new DelvorHole(node); }

void DelvorHole::InitHole(float x, float y) {
    SetState(HOLE_INACTIVE);
    if (ZQ2::ResourceManager::g_Instance)
        DelvorMain::WaitForSection(kSection);
    const std::string country = CountryName();
    const std::string section = CountrySection();
    ZQ2::Image* back =
        ZQ2::ResourceLookup::GetImage(Numbered("HOLES_%s_BACK%d", country, Draw(1, 4)), section, nullptr);
    ZQ2::Image* tile =
        ZQ2::ResourceLookup::GetImage(Numbered("HOLES_%s_TILE%d", country, Draw(1, 4)), section, nullptr);
    const float dx = ConstantX("HOLE_BACK_DELTA_X");
    const float dy = ConstantX("HOLE_BACK_DELTA_Y");
    if (back)
        SetImage(back);
    SetLocation(x + dx, y + dy);

    m_spPit = NewSprite(-dx, -dy, DelvorImage("HOLES_HOLE1"));
    ZQ2::GameTree::LinkNodeUnder(this, m_spPit.Get());
    m_spTile = NewSprite(0.0f, 0.0f, tile);
    ZQ2::GameTree::LinkNodeUnder(this, m_spTile.Get());

    SceneGame* level = Level();
    if (m_iStartState != HOLE_INACTIVE && level) {
        DVPathFinder& paths = level->GetPathFinder();
        paths.AddBlock(GetX() - 33.0f, GetY() + 14.0f, 123.0f, 60.0f, true);
        const ZQ2::Point_t<float> spot0 = GetActionDest(0);
        const ZQ2::Point_t<float> spot1 = GetActionDest(1);
        m_aiBlocks[0] = paths.AddBlock(spot0.x - 30.0f, spot0.y, 70.0f, 25.0f, false);
        m_aiBlocks[1] = paths.AddBlock(spot1.x - 5.0f, spot1.y, 50.0f, 25.0f, false);
    }

    m_spBalloon = new DelvorReqBalloon(ConstantX("DIGGER_REQBALLOON_LEFT_ONEP_X"),
                                       ConstantX("DIGGER_REQBALLOON_LEFT_ONEP_Y"), DelvorImage("REQ_SPEECH_LEFT_1P"),
                                       nullptr, nullptr);
    m_spBalloon->Init(this);
    m_spBalloon->SetVisible(false);

    m_spMeter = new DelvorMeter(ConstantX("HOLE_METER_X"), ConstantX("HOLE_METER_Y"), DelvorImage("METER_BACKGROUND"),
                                nullptr, nullptr);
    m_spMeter->Init(this);
    m_spMeter->SetVisible(false);
    ZQ2::GameTree::LinkNodeUnder(this, m_spMeter.Get());

    ResetHoleImage();
    SetTotalDigs();
    for (auto& sparkle : m_aspSparkles)
        sparkle = nullptr;
    m_abServed[0] = m_abServed[1] = false;
}

void DelvorHole::CleanupHole() {
    if (m_spMeter)
        m_spMeter->Cleanup();
    if (m_spBalloon)
        m_spBalloon->SetHole(nullptr);
}

// ---- the layer string

void DelvorHole::SetupHole(int gold, int silver, int bronze) {
    SceneGame* level = Level();
    const int minDepth = level ? level->GetVariables().iMinDepth : 0;
    const int maxDepth = level ? level->GetVariables().iMaxDepth : 0;
    gold = std::max(gold, 0);
    silver = std::max(silver, 0);
    bronze = std::max(bronze, 0);

    std::vector<int> lengths;
    for (int i = 0; i < gold + silver + bronze; ++i)
        lengths.push_back(std::max(Draw(minDepth, maxDepth + 1) + 1, 1));
    m_sLayers.clear();
    for (int length : lengths) {
        m_sLayers.append(static_cast<size_t>(length), LAYER_DIRT);
        char letter = LAYER_GOLD;
        if (silver > 0 && bronze > 0)
            letter = Draw(0, 10) <= 5 ? LAYER_BRONZE : LAYER_SILVER;
        else if (bronze > 0)
            letter = LAYER_BRONZE;
        else if (silver > 0)
            letter = LAYER_SILVER;
        (letter == LAYER_BRONZE ? bronze : letter == LAYER_SILVER ? silver : gold)--;
        m_sLayers.back() = letter;
    }

    m_RockToughness.clear();
    m_iRockCount = 0;
    m_iCurrentRock = 0;
    m_iCurrentRockToughness = 0;
    m_iCurrentDepth = 0;
    SetupRocks();

    m_iDigsSinceArtifact = 0;
    m_iArtifactsTaken = 0;
    SetHoleState(m_iStartState);
    SetTotalDigs();
    for (int slot = 0; slot < SLOT_COUNT; ++slot)
        if (m_aspWorkers[slot])
            RemoveWorker(m_aspWorkers[slot].Get());
    ResetHoleImage();

    ZQ2::GameNode* start = level ? level->GetChild("BALLOON_Z_ORDER_START", true) : nullptr;
    if (start && m_spBalloon) {
        ZQ2::GameTree::UnlinkNode(m_spBalloon.Get());
        ZQ2::GameTree::LinkNodeAfter(start, m_spBalloon.Get());
    }
}

void DelvorHole::SetupRocks() {
    SceneGame* level = Level();
    if (!level)
        return;
    const SceneGame::LevelVariables& vars = level->GetVariables();
    if (vars.iMaxRocks == 0)
        return;
    const bool chance = vars.fRockChance > ZQ2::Random::Instance()->NextFloat();
    if (!chance && vars.iMinRocks == 0)
        return;
    const int count = Draw(std::max(vars.iMinRocks, 1), vars.iMaxRocks + 1);
    m_RockToughness.assign(static_cast<size_t>(count) + 1, 0);
    m_iRockCount = count;
    const int layers = GetLayerCount();
    int placed = 0;
    for (int rock = 0; rock < count; ++rock) {
        bool accepted = false;
        for (int tries = 0; tries < 3 * layers && !accepted; ++tries) {
            const int index = Draw(0, layers);
            if (m_sLayers[index] != LAYER_DIRT || !CanPlaceRockHere(index))
                continue;
            m_sLayers[index] = LAYER_ROCK;
            const int toughness = Draw(vars.iMinPicks, vars.iMaxPicks + 1);
            m_RockToughness[rock] = static_cast<signed char>(std::clamp(toughness, 0, 127));
            accepted = true;
        }
        if (!accepted)
            break;
        ++placed;
    }
    if (placed > 0)
        SetCurrentRockIndex(0);
}

bool DelvorHole::CanPlaceRockHere(int index) const {
    const int layers = GetLayerCount();
    for (int step : {-1, 1}) {
        const int next = index + step;
        if (next < 0 || next >= layers || m_sLayers[next] != LAYER_DIRT)
            continue;
        for (int k = 1; k <= ROCK_DIRT_RUN; ++k) {
            const int at = index + k * step;
            if (at < 0 || at >= layers || m_sLayers[at] != LAYER_DIRT)
                return false;
        }
    }
    return true;
}

void DelvorHole::SetTotalDigs() {
    SceneGame* level = Level();
    if (!level)
        return;
    m_iTotalDigs = Draw(level->GetVariables().iMinDepth, level->GetVariables().iMaxDepth + 1);
}

// ---- state

void DelvorHole::SetHoleState(int state) {
    const int old = GetState();
    SetState(state);
    if (old == HOLE_INACTIVE || old == HOLE_REQUEST || state != HOLE_REQUEST || IsVuruAtHole())
        return;
    switch (GetHoleRequestFromState()) {
    case REQUEST_VURU:
        PlayHoleSound("SOUND_HOLE_REQUEST_VURU");
        break;
    case REQUEST_PICKER:
        PlayHoleSound("SOUND_HOLE_REQUEST_PICKER");
        break;
    case REQUEST_DIGGER:
        PlayHoleSound("SOUND_HOLE_REQUEST_DIGGER");
        break;
    default:
        break;
    }
}

int DelvorHole::GetHoleRequestFromState() const {
    if (GetState() != HOLE_REQUEST)
        return REQUEST_NONE;
    if (IsCurrentHoleLayerAnArtifact())
        return REQUEST_VURU;
    if (IsCurrentHoleLayerRock())
        return REQUEST_PICKER;
    if (IsCurrentHoleLayerDirt())
        return REQUEST_DIGGER;
    return REQUEST_NONE;
}

// ---- layer queries

bool DelvorHole::IsArtifactLetter(char letter) {
    return letter == LAYER_GOLD || letter == LAYER_SILVER || letter == LAYER_BRONZE;
}

char DelvorHole::GetCurrentHoleLayer() const {
    if (m_sLayers.empty() || !CanBeWorked())
        return LAYER_NONE;
    const int progress = m_spMeter ? m_spMeter->GetRoundedDigProgress() : 0;
    return GetHoleLayer(m_iCurrentDepth + progress);
}

bool DelvorHole::IsCurrentHoleLayerAnArtifact() const { return IsArtifactLetter(GetCurrentHoleLayer()); }

char DelvorHole::GetHoleLayer(int index) const {
    if (index < 0 || index >= GetLayerCount())
        return 0;
    return m_sLayers[index];
}

int DelvorHole::GetNextArtifactIndex(int index, char& letter) const {
    const int layers = GetLayerCount();
    if (index >= layers)
        return -1;
    for (int at = std::max(index + 1, 0); at < layers; ++at) {
        if (IsArtifactLetter(m_sLayers[at])) {
            letter = m_sLayers[at];
            return at;
        }
    }
    return -1;
}

int DelvorHole::GetDigsToNextArtifact() const {
    int digs = 0;
    for (int at = m_iCurrentDepth; at < GetLayerCount() && !IsArtifactLetter(m_sLayers[at]); ++at)
        ++digs;
    return digs;
}

int DelvorHole::GetHoleContentsSnapshot(std::string& out, int count, int offset) const {
    const int start = m_iCurrentDepth + offset;
    int copied = count;
    if (start + count >= GetLayerCount())
        copied = GetLayerCount() - start;
    copied = std::max(copied, 0);
    out = start >= 0 && copied > 0 ? m_sLayers.substr(start, copied) : std::string();
    return static_cast<int>(out.size());
}

// ---- rocks

int DelvorHole::GetRockTotalToughness(int index) const {
    if (m_RockToughness.empty())
        return NO_ROCK_TOUGHNESS;
    if (index < 0 || index >= static_cast<int>(m_RockToughness.size()))
        return 0;
    return m_RockToughness[index];
}

void DelvorHole::SetRockTotalToughness(int index, char toughness) {
    if (index >= 0 && index < static_cast<int>(m_RockToughness.size()))
        m_RockToughness[index] = static_cast<signed char>(toughness);
}

void DelvorHole::SetCurrentRockIndex(int index) {
    m_iCurrentRock = index;
    if (index < 0 || index >= m_iRockCount)
        return;
    m_iCurrentRockToughness = m_RockToughness.empty() ? static_cast<int>(LAYER_NONE) : m_RockToughness[index];
}

// ---- progress

void DelvorHole::AdvanceCurrentHoleDepth() {
    ++m_iCurrentDepth;
    if (!m_spMeter)
        return;
    const bool artifact = IsCurrentHoleLayerAnArtifact();
    m_spMeter->PulseArrow(artifact);
    m_spMeter->StartSparkles(artifact);
}

void DelvorHole::AdvanceHolePastDirt() {
    while (GetHoleLayer(m_iCurrentDepth) == LAYER_DIRT)
        ++m_iCurrentDepth;
    if (m_spMeter) {
        if (m_spMeter->GetDigProgress() != 0.0f)
            m_spMeter->SetDigProgress(0.0f);
        const bool artifact = IsCurrentHoleLayerAnArtifact();
        m_spMeter->PulseArrow(artifact);
        m_spMeter->StartSparkles(artifact);
    }
    DisplayHole();
}

void DelvorHole::Pick(int power) {
    if (!IsCurrentHoleLayerRock())
        return;
    m_iCurrentRockToughness -= power;
    if (m_iCurrentRockToughness < 1) {
        m_iCurrentRockToughness = 0;
        AdvanceCurrentRockIndex();
        AdvanceCurrentHoleDepth();
    }
    DisplayHole();
}

int DelvorHole::GetUpgradedPickPower(int power) { return power + UpgradeValue(kUpgradePick); }

bool DelvorHole::Dig(int count) {
    if (GetState() != HOLE_WORKING)
        return IsCurrentHoleLayerDirt();
    for (int i = 0; i < count && IsCurrentHoleLayerDirt(); ++i) {
        AdvanceCurrentHoleDepth();
        ++m_iDigsSinceArtifact;
    }
    DisplayHole();
    return IsCurrentHoleLayerDirt();
}

void DelvorHole::FinishExcavation() {
    AdvanceCurrentHoleDepth();
    SceneGame* level = Level();
    if (m_iCurrentDepth >= GetLayerCount()) {
        SetHoleState(HOLE_FINISHED);
        if (!level || !level->AreAllHolesFinished())
            PlayHoleSound("SOUND_HOLE_FINISHED");
        if (level)
            level->DoAllHolesFinishedAnimation(false);
    } else {
        SetHoleState(HOLE_REQUEST);
        if (level)
            level->ResetWorkerPatienceBasedOnHoleNeeds();
    }
    ++m_iArtifactsTaken;
    m_iDigsSinceArtifact = 0;
    SetTotalDigs();
    CleanupArtifact();
    DisplayHole();
}

void DelvorHole::StealArtifact() {
    if (SceneGame* level = Level())
        level->AddPointsByType(kScoreArtifactStolen, false);
    FinishExcavation();
}

void DelvorHole::SurveyHole() {
    SetHoleState(HOLE_REQUEST);
    StopFlagFlapAnimation();
    DisplayHole();
    if (SceneGame* level = Level())
        level->ResetWorkerPatienceBasedOnHoleNeeds();
}

// ---- workers

int DelvorHole::GetNumWorkers() const {
    return static_cast<int>(std::count_if(std::begin(m_aspWorkers), std::end(m_aspWorkers),
                                          [](const auto& worker) { return worker.Get() != nullptr; }));
}

DelvorWorker* DelvorHole::GetWorkerAtHoleLocation(int slot) const {
    return slot >= 0 && slot < SLOT_COUNT ? m_aspWorkers[slot].Get() : nullptr;
}

int DelvorHole::GetWorkerIndex(const DelvorWorker* worker) const {
    if (!worker)
        return -1;
    for (int slot = 0; slot < SLOT_COUNT; ++slot)
        if (m_aspWorkers[slot].Get() == worker)
            return slot;
    return -1;
}

int DelvorHole::GetFreeDigSpot() const {
    for (int slot = 0; slot < SLOT_COUNT; ++slot)
        if (!m_aspWorkers[slot])
            return slot;
    return -1;
}

DelvorWorker* DelvorHole::GetOtherWorker(const DelvorWorker* worker) const {
    const int slot = GetWorkerIndex(worker);
    return slot < 0 ? nullptr : m_aspWorkers[1 - slot].Get();
}

bool DelvorHole::IsWorkerAtHole(int slot) const {
    DelvorWorker* worker = GetWorkerAtHoleLocation(slot);
    return worker && worker->GetState() != kWalking;
}

bool DelvorHole::CanAddWorker(DelvorWorker* worker) {
    if (!worker)
        return false;
    if (GetNumWorkers() == 1) {
        DelvorWorker* present = m_aspWorkers[0] ? m_aspWorkers[0].Get() : m_aspWorkers[1].Get();
        if (present->GetRTTI().GetName() != worker->GetRTTI().GetName())
            return false;
    }
    return worker->WorkerNeededAtHole(this) && GetNumWorkers() < SLOT_COUNT;
}

bool DelvorHole::CanAddWorker(ClickObject* figure) { return CanAddWorker(ZQ2::DynamicCast<DelvorWorker>(figure)); }

void DelvorHole::AddWorker(DelvorWorker* worker) {
    const int slot = GetFreeDigSpot();
    if (!worker || slot < 0 || GetWorkerIndex(worker) >= 0)
        return;
    m_aspWorkers[slot] = worker;
    worker->SetHole(this);
    ActivateSlotBlock(slot, true);
}

void DelvorHole::AddWorker(ClickObject* figure) { AddWorker(ZQ2::DynamicCast<DelvorWorker>(figure)); }

void DelvorHole::ClearSlot(int slot) {
    ZQ2::SmartPtr<DelvorWorker> worker = m_aspWorkers[slot];
    m_aspWorkers[slot] = nullptr;
    if (worker->GetHole() == this)
        worker->SetHole(nullptr);
}

void DelvorHole::RemoveWorker(DelvorWorker* worker) {
    const int slot = GetWorkerIndex(worker);
    if (slot < 0)
        return;
    ClearSlot(slot);
    // A finished or not yet surveyed hole keeps its state when its last worker goes.
    if (GetNumWorkers() == 0 && GetState() == HOLE_WORKING) {
        SetHoleState(HOLE_REQUEST);
        if (IsCurrentHoleLayerAnArtifact())
            CreateArtifact();
    }
    ActivateSlotBlock(slot, false);
    SetupRequestBalloon();
}

void DelvorHole::CleanupWorker(DelvorWorker* worker) {
    const int slot = GetWorkerIndex(worker);
    if (slot >= 0)
        ClearSlot(slot);
}

void DelvorHole::RemoveAllWorkers() {
    for (int slot = 0; slot < SLOT_COUNT; ++slot)
        if (m_aspWorkers[slot])
            ClearSlot(slot);
}

void DelvorHole::SendDiggerHome(DelvorWorker* worker) {
    if (GetWorkerIndex(worker) < 0)
        return;
    ZQ2::SmartPtr<DelvorWorker> held(worker);
    if (SceneGame* level = Level())
        level->SendDiggerHome(worker);
    RemoveWorker(worker);
}

void DelvorHole::SendDiggersHome() {
    for (int slot = 0; slot < SLOT_COUNT; ++slot)
        if (m_aspWorkers[slot])
            SendDiggerHome(m_aspWorkers[slot].Get());
}

void DelvorHole::SendOtherWorkerHomeIfHungry(DelvorWorker* worker) {
    for (int slot = 0; slot < SLOT_COUNT; ++slot) {
        ZQ2::SmartPtr<DelvorWorker> other = m_aspWorkers[slot];
        if (!other || other.Get() == worker)
            continue;
        const int activity = other->GetActivity();
        const bool needy = activity == kDizzy || activity == kDrinking || activity == kEating ||
                           (activity == kAskingForNeed && other->GetSubRequest() != 0);
        if (!needy)
            continue;
        other->ClearActivityModifer();
        if (SceneGame* level = Level())
            level->MoveWorkerToWaitingArea(other.Get());
        RemoveWorker(other.Get());
    }
}

void DelvorHole::SendWorkersToWaitArea() {
    SceneGame* level = Level();
    for (int slot = 0; slot < SLOT_COUNT; ++slot) {
        ZQ2::SmartPtr<DelvorWorker> worker = m_aspWorkers[slot];
        if (!worker)
            continue;
        if (level)
            level->MoveWorkerToWaitingArea(worker.Get());
        RemoveWorker(worker.Get());
    }
    if (CanBeWorked())
        SetHoleState(HOLE_REQUEST);
    if (level)
        level->ResetWorkerPatienceBasedOnHoleNeeds();
    if (IsCurrentHoleLayerAnArtifact())
        CreateArtifact();
    DisplayHole();
}

int DelvorHole::GetNumWorkersWorking() const {
    int count = 0;
    for (const auto& worker : m_aspWorkers)
        if (worker && worker->GetActivity() == kWorking)
            ++count;
    return count;
}

int DelvorHole::GetNumWorkersWhoCanCleanHole() const {
    int count = 0;
    for (const auto& worker : m_aspWorkers) {
        if (!worker)
            continue;
        const int activity = worker->GetActivity();
        if (activity == kWorking || (activity == kAskingForNeed && !worker->HasPersonalNeed()))
            ++count;
    }
    return count;
}

int DelvorHole::GetNumWorkersHealthy() const {
    int count = 0;
    for (const auto& worker : m_aspWorkers)
        if (worker && worker->IsWorkerHealthy())
            ++count;
    return count;
}

int DelvorHole::SetWorkerActivity(int activity, int onlyFrom) {
    int count = 0;
    for (const auto& worker : m_aspWorkers) {
        if (!worker || worker->HasPersonalNeed())
            continue;
        const int current = worker->GetActivity();
        if (onlyFrom != -1 && current != activity && current != onlyFrom)
            continue;
        worker->SetActivity(activity);
        ++count;
    }
    return count;
}

bool DelvorHole::AreWorkersAtHoleImpatient(int activity) const {
    return std::any_of(std::begin(m_aspWorkers), std::end(m_aspWorkers), [activity](const auto& worker) {
        return worker && worker->GetActivity() == activity && worker->IsImpatient();
    });
}

bool DelvorHole::AreAllWorkersAtHoleIdle() const {
    return std::none_of(std::begin(m_aspWorkers), std::end(m_aspWorkers), [](const auto& worker) {
        return worker && (worker->GetActivity() == kDizzy || worker->GetActivity() == kHypnotised);
    });
}

void DelvorHole::RestartDiggers() {
    for (const auto& worker : m_aspWorkers)
        if (worker && !worker->HasPersonalNeed() && worker->GetActivity() != kNoRestart)
            worker->DoActivityAnimation(true);
}

void DelvorHole::ShowWorkersWorking(bool show) {
    for (const auto& worker : m_aspWorkers)
        if (worker)
            worker->DoActivityAnimation(show);
}

DelvorWorker* DelvorHole::GetDiggerToUnhypnotize() const {
    for (const auto& worker : m_aspWorkers)
        if (worker && worker->GetRequest() == kMedicine)
            return worker.Get();
    return nullptr;
}

bool DelvorHole::DoWorkersHaveSameRequest() const {
    DelvorWorker* first = m_aspWorkers[0].Get();
    DelvorWorker* second = m_aspWorkers[1].Get();
    if (!first || !second || first->GetRequest() != second->GetRequest())
        return false;
    const int request = first->GetRequest();
    if (request == kFood || request == kWater)
        return first->GetSubRequest() == second->GetSubRequest();
    return true;
}

bool DelvorHole::ShouldFlipWorker(const DelvorWorker* worker) const {
    return worker && GetWorkerIndex(worker) == 1 && worker->GetState() != kWalking;
}

void DelvorHole::DoCleanHoleStep() {
    const int wait = Constant(GetNumWorkersWhoCanCleanHole() == 2 ? "TIME_DIGGER_CLEAN_HOLE_2P" : "TIME_DIGGER_CLEAN_HOLE");
    ZQ2::ModifierContainer* container = NewLevelContainer(m_pCleanStepModifier);
    if (container)
        ZQ2::AnimTree::LinkNodeUnder(container, new ZQ2::ModifierDelay(wait), this);
}

void DelvorHole::CheckIfVuvivedodStopsWork() {
    if (GetNumWorkersWorking() != 0)
        return;
    CleanupDustCloud();
    Retire(m_spTool);
}

bool DelvorHole::CausePanic(bool hypnotise) {
    bool changed = false;
    for (const auto& worker : m_aspWorkers) {
        if (!worker)
            continue;
        if (hypnotise && worker->IsWorkerHealthy()) {
            worker->SetActivity(kPanicking);
            changed = true;
        } else if (!hypnotise && worker->GetActivity() == kPanicking) {
            worker->ClearIdleModifier();
            worker->Unhypnotize();
            changed = true;
        }
    }
    return changed && SetupRequestBalloon();
}

bool DelvorHole::NeedDiggerAtHole() const { return CanBeWorked() && GetNumWorkers() <= 1 && IsCurrentHoleLayerDirt(); }

bool DelvorHole::NeedPickerAtHole() const { return CanBeWorked() && GetNumWorkers() <= 1 && IsCurrentHoleLayerRock(); }

void DelvorHole::WorkersCelebrateFindingArtifact() {
    m_iCelebrationsFinished = 0;
    SceneGame* level = Level();
    ZQ2::SmartPtr<ZQ2::ModifierContainer> container;
    if (level && level->GetAnimContainer()) {
        container = new ZQ2::ModifierContainer(std::string(), true);
        ZQ2::AnimTree::LinkNodeUnder(level->GetAnimContainer(), container.Get());
    }
    bool celebrated = false;
    for (const auto& worker : m_aspWorkers)
        if (worker && worker->Celebrate(container.Get()))
            celebrated = true;
    if (!celebrated) {
        SendWorkersToWaitArea();
        return;
    }
    if (CanBeWorked())
        SetHoleState(HOLE_REQUEST);
    if (IsCurrentHoleLayerAnArtifact())
        CreateArtifact();
    DisplayHole();
}

void DelvorHole::CelebrateFinished() {
    ++m_iCelebrationsFinished;
    if (m_iCelebrationsFinished == GetNumWorkers())
        SendWorkersToWaitArea();
}

// ---- Vuru and the villain

Vuru* DelvorHole::GetLevelVuru() const {
    SceneGame* level = Level();
    return level ? level->GetVuru() : nullptr;
}

bool DelvorHole::IsVuruAtHole() const {
    Vuru* vuru = GetLevelVuru();
    return vuru && vuru->GetCurrentHole() == this;
}

bool DelvorHole::IsVuruGoingToHole() const {
    Vuru* vuru = GetLevelVuru();
    if (!vuru)
        return false;
    const auto& stack = vuru->GetStack();
    return vuru->GetNextDestination() == this || std::find(stack.begin(), stack.end(), this) != stack.end();
}

bool DelvorHole::CanVuruProcessHole() const {
    if (GetNumWorkers() != 0)
        return false;
    return (GetState() == HOLE_REQUEST && IsCurrentHoleLayerAnArtifact()) || GetState() == HOLE_SURVEY;
}

bool DelvorHole::ShouldVuruRespond() const {
    SceneGame* level = Level();
    if (IsVuruAtHole() || IsVuruGoingToHole() || GetNumWorkers() != 0)
        return false;
    if (level && level->IsTimerExpired())
        return false;
    return CanVuruProcessHole();
}

bool DelvorHole::CanStealArtifactNow() const {
    return IsCurrentHoleLayerAnArtifact() && !IsVuruAtHole() && m_spArtifact;
}

int DelvorHole::GetBlockIndexForHole(int index) const { return index >= 0 && index < 3 ? m_aiBlocks[index] : -1; }

void DelvorHole::ActivateSlotBlock(int slot, bool active) {
    SceneGame* level = Level();
    if (level && m_aiBlocks[slot] >= 0)
        level->GetPathFinder().ActivateBlock(m_aiBlocks[slot], active);
}

// ---- requests

bool DelvorHole::SetupRequestBalloon() {
    int requests[SLOT_COUNT] = {0, 0};
    if (IsVuruAtHole()) {
        Vuru* vuru = GetLevelVuru();
        const int state = vuru->GetVuruState();
        if (state == kVuruRequesting || state == kVuruWaiting)
            vuru->GetVuruRequests(requests[0], requests[1]);
    } else if (GetNumWorkers() > 0) {
        for (int slot = 0; slot < SLOT_COUNT; ++slot) {
            DelvorWorker* worker = m_aspWorkers[slot].Get();
            if (!worker || !worker->ShouldShowReqBalloon())
                continue;
            const int request = worker->GetRequest();
            requests[slot] = request == kFood || request == kWater ? worker->GetSubRequest() : request;
            if (worker->HasPersonalNeed())
                worker->SetHasAsked(true);
        }
    } else {
        SceneGame* level = Level();
        const int request = GetHoleRequestFromState();
        const bool pastRunning = level && level->GetGameState() > SceneGame::STATE_RUNNING;
        if (!pastRunning || (request == REQUEST_VURU && IsVuruGoingToHole()))
            requests[0] = request;
    }
    if (!m_spBalloon)
        return false;
    m_spBalloon->SetLocation(GetX(), GetY());
    return m_spBalloon->SetupRequestBalloon(requests[0], requests[1]);
}

bool DelvorHole::DoesObjectMatchRequest(ClickObject* object, int& slot) {
    if (!object)
        return false;
    if (ZQ2::DynamicCast<Vuru>(object))
        return CanVuruProcessHole();
    if (IsVuruAtHole())
        return GetLevelVuru()->DoesVuruNeedItem(object, slot);
    if (GetNumWorkers() == 0)
        return false;
    for (int at = 0; at < SLOT_COUNT; ++at) {
        DelvorWorker* worker = m_aspWorkers[at].Get();
        if (!worker || m_abServed[at])
            continue;
        const int activity = worker->GetActivity();
        if (activity == kWorking || activity == kPanicking || !worker->DoesWorkerNeedItem(object))
            continue;
        slot = at;
        return true;
    }
    return false;
}

bool DelvorHole::DoesObjectMatchRequest(ClickObject* object) {
    int slot = -1;
    return DoesObjectMatchRequest(object, slot);
}

bool DelvorHole::DoesItemMatchRequest(const std::string& name) {
    SceneGame* level = Level();
    ZQ2::GameNode* table = level ? level->GetChild("TABLE_DOVIDI", true) : nullptr;
    if (!table)
        return false;
    for (ZQ2::GameNode* child = table->GetFirstChild(); child; child = child->GetNextSibling()) {
        if (child->GetName().rfind(name, 0) == 0)
            return DoesObjectMatchRequest(ZQ2::DynamicCast<ClickObject>(child));
    }
    return false;
}

bool DelvorHole::UseItem(ClickObject* object) {
    int slot = -1;
    if (!DoesObjectMatchRequest(object, slot))
        return false;
    Vuru* vuru = ZQ2::DynamicCast<Vuru>(object);
    if (vuru || IsVuruAtHole()) {
        if (!vuru)
            vuru = GetLevelVuru();
        if (GetState() == HOLE_SURVEY || vuru->GetVuruState() != kVuruRequesting)
            return true;
        if (!vuru->UseTool(slot))
            return false;
        ++m_iToolsUsed;
        SetHoleState(HOLE_WORKING);
        ShowRequestBalloon(false);
        return true;
    }
    if (slot < 0 || slot >= SLOT_COUNT)
        return false;
    m_abServed[slot] = true;
    DelvorWorker* worker = m_aspWorkers[slot].Get();
    const int request = worker->GetRequest();
    if (request == kFood || request == kWater)
        worker->Eat();
    else if (request == kMedicine)
        worker->Unhypnotize();
    else if (request == REQUEST_VURU)
        return true;
    ShowRequestBalloon(SetupRequestBalloon());
    return true;
}

bool DelvorHole::IsAction(ClickObject* object) {
    if (auto* worker = ZQ2::DynamicCast<DelvorWorker>(object))
        return worker->IsAvailable() && CanAddWorker(worker) && worker->GetHole() != this;
    const bool itemOrVuru = object && (object->IsItem() || object->GetRTTI().GetName() == "Vuru");
    return itemOrVuru && DoesObjectMatchRequest(object);
}

void DelvorHole::StartDelivery() {
    m_iToolsUsed = 0;
    m_abServed[0] = m_abServed[1] = false;
}

void DelvorHole::EndDelivery() { m_abServed[0] = m_abServed[1] = false; }

// ---- geometry

bool DelvorHole::IsInside(float x, float y) {
    const float left = GetX() - 10.0f;
    const float top = GetY() - 10.0f;
    return left <= x && x < left + 130.0f && top <= y && y < top + 70.0f;
}

ZQ2::Point_t<float> DelvorHole::GetActionDest(int kind) {
    const float bx = GetX() - 33.0f;
    const float by = GetY();
    const float bw = 123.0f;
    const float bh = 70.0f;
    switch (kind) {
    case 0:
    case 5:
        return {bx - 3.0f, by + 40.0f};
    case 1:
        return {bx + bw + 3.0f, by + 0.75f * bh - 14.5f};
    case 2:
        return {bx + bw / 2.0f, by + 14.0f};
    case 3:
        return {bx + bw / 2.0f, by};
    case 4:
        return {bx + bw / 3.0f, by + bh + 5.0f};
    default:
        return {0.0f, 0.0f};
    }
}

// ---- display

ZQ2::Image* DelvorHole::DelvorImage(const std::string& name) const {
    return ZQ2::ResourceLookup::GetImage(name, kSection, nullptr);
}

void DelvorHole::ShowPit(const char* image, int frame) {
    if (!m_spPit)
        return;
    m_spPit->SetImage(DelvorImage(image));
    ZQ2::Image* picture = m_spPit->GetImage();
    const int last = picture ? std::max(picture->GetFrameCount() - 1, 0) : 0;
    m_spPit->SetCurrentFrame(std::clamp(frame, 0, last));
}

int DelvorHole::GetHoleFrame() const {
    int frame = 0;
    if (m_iArtifactsTaken == 0 && m_iCurrentDepth == 0)
        frame = GetNumWorkers() > 0 ? 1 : 0;
    else
        frame = m_iArtifactsTaken + (m_iDigsSinceArtifact > 0 ? 2 : 1);
    ZQ2::Image* picture = m_spPit ? m_spPit->GetImage() : nullptr;
    const int last = picture ? std::max(picture->GetFrameCount() - 1, 0) : frame;
    return std::min(frame, last);
}

void DelvorHole::DisplayHole() {
    ShowMeter(false);
    switch (GetState()) {
    case HOLE_INACTIVE:
        SetVisible(false);
        return;
    case HOLE_FINISHED:
        SetVisible(true);
        if (!m_spRopes) {
            m_spRopes = NewSprite(ConstantX("HOLE_ROPES_X"), ConstantX("HOLE_ROPES_Y"),
                                  DelvorImage("HOLES_FINISHED_ROPES"));
            ZQ2::GameTree::LinkNodeUnder(this, m_spRopes.Get());
        }
        ShowPit("HOLES_HOLE1", 1 << 20);
        ShowRequestBalloon(false);
        return;
    case HOLE_SURVEY:
        SetVisible(true);
        ShowPit("HOLES_SURVEY", 0);
        return;
    default:
        SetVisible(true);
        ShowPit("HOLES_HOLE1", 0);
        ShowPit("HOLES_HOLE1", GetHoleFrame());
        SetupRequestBalloon();
        ShowMeter(true);
        return;
    }
}

void DelvorHole::ResetHoleImage() {
    if (m_spPit)
        m_spPit->SetCurrentFrame(0);
    DisplayHole();
}

void DelvorHole::ShowMeter(bool show) {
    if (m_spMeter)
        m_spMeter->Show(show);
}

void DelvorHole::ShowRequestBalloon(bool show) {
    if (m_spBalloon)
        m_spBalloon->ShowRequestBalloon(show);
}

ZQ2::ModifierContainer* DelvorHole::NewLevelContainer(ZQ2::ModifierContainer*& slot) {
    EndHeld(slot);
    SceneGame* level = Level();
    if (!level || !level->GetAnimContainer())
        return nullptr;
    slot = new ZQ2::ModifierContainer(std::string(), false);
    slot->AddRef();
    ZQ2::AnimTree::LinkNodeUnder(level->GetAnimContainer(), slot);
    return slot;
}

void DelvorHole::DoFlagFlapAnimation() {
    ZQ2::ModifierContainer* container = NewLevelContainer(m_pFlagFlapModifier);
    if (!container || !m_spPit)
        return;
    ZQ2::Modifier* frames = ZQ2::AnimTree::LinkNodeUnder(
        container, new ZQ2::ModifierFrame(Constant("TIME_HOLE_FLAG_FLAP_FRAMERATE"), kEndless, ZQ2::FRAME_FORWARD),
        m_spPit.Get());
    ZQ2::AnimTree::LinkNodeUnder(frames, ZQ2::ConstructModifierMethod(this, &DelvorHole::FlagFlapFinished));
}

void DelvorHole::FlagFlapFinished() {
    if (GetState() == HOLE_SURVEY)
        DoFlagFlapAnimation();
}

void DelvorHole::StopFlagFlapAnimation() { EndHeld(m_pFlagFlapModifier); }

// ---- the artifact

int DelvorHole::GetArtifactForCurrentLevel() {
    SceneGame* level = Level();
    const int country = DelvorMain::m_nCurCountry;
    const int days = DelvorMain::GetMaxDayForCountry(country);
    const int day = level ? level->GetDay() : DelvorMain::m_nCurDay;
    const int pictures = SceneGame::GetNumArtifactsInLevel(country);
    const int k = days > 0 ? pictures * day / days : 0;
    return Draw(1, std::max(k, 3) + 1);
}

void DelvorHole::CreateArtifact() {
    if (m_spArtifact)
        return;
    m_iArtifactNumber = GetArtifactForCurrentLevel();
    ZQ2::Image* image =
        ZQ2::ResourceLookup::GetImage(Numbered("ARTIFACT_%s%d", CountryName(), m_iArtifactNumber), CountrySection(), nullptr);
    m_spArtifact = NewSprite(ConstantX("HOLE_ARTIFACT_X"), ConstantX("HOLE_ARTIFACT_Y"), image);
    m_spArtifact->SetAnchorPoint(ZQ2::ANCHOR_CENTER);
    ZQ2::GameTree::LinkNodeUnder(this, m_spArtifact.Get());
    m_spArtifact->SetScale(ZQ2::BasicProperties::GetFloat("HOLE_ARTIFACT_SCALE"));
    m_spArtifact->SetVisible(true);

    // The drawn dirt keeps its shape and takes the crud's colours; without
    // the crud picture it shows as drawn.
    ZQ2::Image* dirt = DelvorImage("ARTIFACT_DIRTY" + std::to_string(Draw(1, 4)));
    ZQ2::Image* made = nullptr;
    CreateCrudOverlay(dirt, &made);
    const ZQ2::SmartPtr<ZQ2::Image> crud = Adopt(made);
    m_spArtifactDirt = NewSprite(ConstantX("HOLE_ARTIFACT_DIRTY_X"), ConstantX("HOLE_ARTIFACT_DIRTY_Y"),
                                 crud ? crud.Get() : dirt);
    ZQ2::GameTree::LinkNodeAfter(m_spArtifact.Get(), m_spArtifactDirt.Get());
    m_spArtifactDirt->SetLocation(m_spArtifact->GetX(), m_spArtifact->GetY());
    m_spArtifactDirt->SetAnchorPoint(ZQ2::ANCHOR_CENTER);
    m_spArtifactDirt->SetVisible(true);
    StartSparkles(true);
}

void DelvorHole::CleanupArtifact() {
    if (m_spArtifact)
        m_spArtifact->SetVisible(false);
    Retire(m_spArtifact);
    Retire(m_spArtifactDirt);
    StartSparkles(false);
    CleanupSparkles();
}

void DelvorHole::CleanupDustCloud() {
    EndHeld(m_pDustModifier);
    Retire(m_spDust);
}

bool DelvorHole::CreateCrudOverlay(const ZQ2::Image* src, ZQ2::Image** out) {
    if (!out)
        return false;
    *out = nullptr;
    ZQ2::ImageFrame* alpha = src ? src->GetFrame() : nullptr;
    ZQ2::Image* crudPicture = ZQ2::ResourceLookup::GetImage("ARTIFACT_DIRTY_TEST", kSection, nullptr);
    ZQ2::ImageFrame* colour = crudPicture ? crudPicture->GetFrame() : nullptr;
    if (!alpha || !colour || !alpha->GetImageData())
        return false;
    const int width = colour->GetWidth();
    const int height = colour->GetHeight();
    // A copy of the data: the loaded crud picture is shared by every hole.
    ZQ2::SmartPtr<ZQ2::Image> image(new ZQ2::Image(ZQ2::iImageLoader::CreateImageData(width, height), 1, 1));
    ZQ2::ImageFrame* frame = image->GetFrame();
    if (!frame || !ZQ2::ImageUtils::CopyImage(*colour, 0, 0, width, height, *frame, 0, 0))
        return false;
    const ZQ2::ImageUtils::Channels alphaChannel(ZQ2::COLORCHANNEL_ALPHA);
    ZQ2::ImageUtils::FillRectColorChannel(*frame, 0, 0, width, height, alphaChannel, 0);
    const int overlapWidth = std::min(width, alpha->GetWidth());
    const int overlapHeight = std::min(height, alpha->GetHeight());
    if (overlapWidth > 0 && overlapHeight > 0 &&
        !ZQ2::ImageUtils::CopyColorChannel(*alpha, alphaChannel, 0, 0, overlapWidth, overlapHeight, *frame, 0, 0))
        return false;
    frame->GetImageData()->SetHasAlpha(true);
    *out = image.Get();
    image->AddRef();
    return true;
}

void DelvorHole::MoveArtifactToFront(bool toScene) {
    if (!m_spArtifact)
        return;
    StartSparkles(false);
    CleanupSparkles();
    SceneGame* level = Level();
    ZQ2::GameNode* start = level ? level->GetChild("ARTIFACT_Z_ORDER_START", true) : nullptr;
    ZQ2::GameNode* anchor = toScene ? start : this;
    if (!anchor)
        return;
    // Linking moves the node with the tree's own reference; unlinking first
    // would leave that reference behind.
    ZQ2::GameTree::LinkNodeAfter(anchor, m_spArtifact.Get());
    const float sign = toScene ? 1.0f : -1.0f;
    m_spArtifact->SetLocation(m_spArtifact->GetX() + sign * GetX(), m_spArtifact->GetY() + sign * GetY());
}

// ---- Vuru's tool work

int DelvorHole::GetUpgradedSiftTime(int workers) {
    return Constant(workers == 2 ? "TIME_SIFTING_TWOP" : "TIME_SIFTING_ONEP") + UpgradeValue(kUpgradeSift);
}

int DelvorHole::GetUpgradedBrushTime(int workers) {
    return Constant(workers == 2 ? "TIME_BRUSHING_TWOP" : "TIME_BRUSHING_ONEP") + UpgradeValue(kUpgradeBrush);
}

int DelvorHole::GetUpgradedPickTime(int workers) {
    return Constant(workers == 2 ? "TIME_PICKING_TWOP" : "TIME_PICKING_ONEP") + UpgradeValue(kUpgradePick);
}

int DelvorHole::GetBrushLoops(int brushTime, int timePerFrame, int frames) {
    if (timePerFrame == 0 || frames == 0)
        return 0;
    return brushTime / timePerFrame / frames;
}

int DelvorHole::DrawSparkleOffset(int reach) {
    if (reach <= 0)
        return 0;
    return ZQ2::Random::Instance()->GetInt(-reach, reach);
}

void DelvorHole::CreateTool(int kind) {
    Retire(m_spTool);
    static const char* const kNames[] = {"ITEM_SIFTER", "ITEM_BRUSH", "ITEM_BOTTLE"};
    static const char* const kX[] = {"HOLE_SIFTER_X", "HOLE_BRUSH_X", "HOLE_BOTTLE_X"};
    static const char* const kY[] = {"HOLE_SIFTER_Y", "HOLE_BRUSH_Y", "HOLE_BOTTLE_Y"};
    kind = std::clamp(kind, 0, 2);
    std::string name = kNames[kind];
    const int level = kind == TOOL_BOTTLE ? 0 : TopUpgrade(kind == TOOL_SIFTER ? kUpgradeSift : kUpgradeBrush);
    if (level > 0)
        name = Numbered("%s_UP%d", name, level);
    m_spTool = NewSprite(ConstantX(kX[kind]), ConstantX(kY[kind]), DelvorImage(name));
    ZQ2::GameNode* after = m_spArtifactDirt && m_spArtifactDirt->IsVisible() ? m_spArtifactDirt.Get() : m_spArtifact.Get();
    if (after)
        ZQ2::GameTree::LinkNodeAfter(after, m_spTool.Get());
    else
        ZQ2::GameTree::LinkNodeUnder(this, m_spTool.Get());
    m_spTool->SetVisible(true);
}

void DelvorHole::CreateDustCloud(int kind) {
    CleanupDustCloud();
    static const char* const kNames[] = {"DUST_SIFT", "DUST_BRUSH", "DUST_BOTTLE"};
    static const char* const kX[] = {"HOLE_DUST_SIFT_X", "HOLE_DUST_BRUSH_X", "HOLE_DUST_BOTTLE_X"};
    static const char* const kY[] = {"HOLE_DUST_SIFT_Y", "HOLE_DUST_BRUSH_Y", "HOLE_DUST_BOTTLE_Y"};
    kind = std::clamp(kind, 0, 2);
    m_spDust = NewSprite(ConstantX(kX[kind]), ConstantX(kY[kind]), DelvorImage(kNames[kind]));
    if (!m_spTool)
        ZQ2::GameTree::LinkNodeUnder(this, m_spDust.Get());
    else if (kind == TOOL_BOTTLE)
        ZQ2::GameTree::LinkNodeBefore(m_spTool.Get(), m_spDust.Get());
    else
        ZQ2::GameTree::LinkNodeAfter(m_spTool.Get(), m_spDust.Get());
    m_spDust->SetVisible(true);
}

void DelvorHole::StartDustFrames() {
    ZQ2::ModifierContainer* container = NewLevelContainer(m_pDustModifier);
    if (container && m_spDust)
        ZQ2::AnimTree::LinkNodeUnder(container, new ZQ2::ModifierFrame(kDustFrameMs, kEndless, ZQ2::FRAME_FORWARD),
                                     m_spDust.Get());
}

void DelvorHole::StartToolWork(int kind, int request) {
    CreateTool(kind);
    CreateDustCloud(kind);
    StartDustFrames();
    if (Vuru* vuru = GetLevelVuru()) {
        vuru->DoActivityAnimation(true);
        vuru->RemoveRequest(request);
    }
}

void DelvorHole::DoSifter() {
    SetHoleState(HOLE_WORKING);
    StartToolWork(TOOL_SIFTER, kSifter);
    PlayHoleSound("SOUND_VURU_SIFTS");
    const int step = GetUpgradedSiftTime(1) / kSiftMoves;
    ZQ2::ModifierContainer* container = NewLevelContainer(m_pToolModifier);
    if (!container)
        return;
    const float x0 = m_spTool->GetX();
    const float y = m_spTool->GetY();
    ZQ2::Modifier* last = container;
    float from = x0;
    for (int move = 0; move < kSiftMoves; ++move) {
        const float to = move % 2 == 0 ? x0 - kSiftReach : x0 + kSiftReach;
        last = ZQ2::AnimTree::LinkNodeUnder(last, new ZQ2::ModifierLocationLine(from, y, to, y, step, false),
                                            m_spTool.Get());
        from = to;
    }
    ZQ2::AnimTree::LinkNodeUnder(last, ZQ2::ConstructModifierMethod(this, &DelvorHole::OnSiftBrushFinished));
}

void DelvorHole::DoBrush() {
    StartToolWork(TOOL_BRUSH, kBrush);
    PlayHoleSound("SOUND_VURU_BRUSHES");
    ZQ2::ModifierContainer* container = NewLevelContainer(m_pToolModifier);
    if (!container)
        return;
    ZQ2::Image* brush = m_spTool->GetImage();
    const int loops =
        GetBrushLoops(GetUpgradedBrushTime(1), Constant("TIME_BRUSHING_PERFRAME"), brush ? brush->GetFrameCount() : 1);
    ZQ2::Modifier* last = container;
    if (loops > 0)
        last = ZQ2::AnimTree::LinkNodeUnder(container, new ZQ2::ModifierFrame(kBrushFrameMs, loops, ZQ2::FRAME_FORWARD),
                                            m_spTool.Get());
    ZQ2::AnimTree::LinkNodeUnder(last, ZQ2::ConstructModifierMethod(this, &DelvorHole::OnSiftBrushFinished));
}

void DelvorHole::DoBottle() {
    Vuru* vuru = GetLevelVuru();
    // Either bottle request is answered by the one bottle.
    const int request = vuru && vuru->GetRequest(0) != kBottle && vuru->GetRequest(1) != kBottle ? kBottleMulti : kBottle;
    StartToolWork(TOOL_BOTTLE, request);
    PlayHoleSound("SOUND_VURU_SPRAYS");
    ZQ2::ModifierContainer* container = NewLevelContainer(m_pToolModifier);
    if (!container)
        return;
    ZQ2::Modifier* last = container;
    const int loops = Constant("BOTTLE_NUM_LOOPS");
    if (loops > 0)
        last = ZQ2::AnimTree::LinkNodeUnder(
            container, new ZQ2::ModifierFrame(Constant("TIME_BOTTLE_FRAMESPEED"), loops, ZQ2::FRAME_FORWARD),
            m_spTool.Get());
    ZQ2::AnimTree::LinkNodeUnder(last, ZQ2::ConstructModifierMethod(this, &DelvorHole::OnSiftBrushFinished));
}

void DelvorHole::ClearToolModifier() { EndHeld(m_pToolModifier); }

void DelvorHole::OnSiftBrushFinished() {
    ClearToolModifier();
    CleanupDustCloud();
    Retire(m_spTool);
    Retire(m_spArtifactDirt);
    SetHoleState(HOLE_REQUEST);
    Vuru* vuru = GetLevelVuru();
    if (!vuru)
        return;
    vuru->DoActivityAnimation(false);
    vuru->DetermineNextVuruTask();
    vuru->DoWalkFinished();
}

// ---- sparkles over the artifact

void DelvorHole::CreateSparkles() {
    if (!m_spArtifact)
        return;
    for (int i = 0; i < SPARKLE_COUNT; ++i) {
        if (m_aspSparkles[i])
            continue;
        char name[40];
        std::snprintf(name, sizeof name, "IMAGE_ANI_START_SPARKLE%02d", i + 1);
        m_aspSparkles[i] = NewSprite(kSparkleHiddenAt, kSparkleHiddenAt,
                                     ZQ2::ResourceLookup::GetImage(name, "default", nullptr));
        m_aspSparkles[i]->SetScale(kSparkleScale);
        m_aspSparkles[i]->SetVisible(false);
        m_aspSparkles[i]->SetAnchorPoint(ZQ2::ANCHOR_CENTER);
        ZQ2::GameNode* after = m_spArtifactDirt ? m_spArtifactDirt.Get() : m_spArtifact.Get();
        ZQ2::GameTree::LinkNodeAfter(after, m_aspSparkles[i].Get());
    }
}

void DelvorHole::ClearSparkleModifier() { EndHeld(m_pSparkleModifier); }

void DelvorHole::StartSparkles(bool on) {
    ClearSparkleModifier();
    if (!on || !m_spArtifact)
        return;
    CreateSparkles();
    ZQ2::ModifierContainer* container = NewLevelContainer(m_pSparkleModifier);
    if (!container)
        return;
    const int delay = Draw(Constant("TIME_HOLE_SPARKLE_DELAY_MIN"), Constant("TIME_HOLE_SPARKLE_DELAY_MAX"));
    ZQ2::Sprite* sparkle = m_aspSparkles[Draw(0, SPARKLE_COUNT)].Get();
    const float scale = m_spArtifact->GetScaleX();
    const int reachX = static_cast<int>(m_spArtifact->GetWidth() * 0.25f * scale);
    const int reachY = static_cast<int>(m_spArtifact->GetHeight() * 0.25f * scale);
    const int offsetX = DrawSparkleOffset(reachX);
    const int offsetY = DrawSparkleOffset(reachY);
    sparkle->SetLocation(m_spArtifact->GetX() + static_cast<float>(offsetX),
                         m_spArtifact->GetY() + static_cast<float>(offsetY));
    ZQ2::Modifier* wait = ZQ2::AnimTree::LinkNodeUnder(container, new ZQ2::ModifierDelay(delay), sparkle);
    ZQ2::Modifier* show = ZQ2::AnimTree::LinkNodeUnder(wait, new ZQ2::ModifierFrame(kSparkleFrameMs, 1, ZQ2::FRAME_SWITCH),
                                                       sparkle);
    ZQ2::AnimTree::LinkNodeUnder(wait, new ZQ2::ModifierVisible(true), sparkle);
    ZQ2::AnimTree::LinkNodeUnder(show, ZQ2::ConstructModifierMethod(this, &DelvorHole::OnSparkleFinished));
}

void DelvorHole::OnSparkleFinished() {
    for (auto& sparkle : m_aspSparkles)
        if (sparkle && sparkle->IsVisible())
            sparkle->SetVisible(false);
    StartSparkles(true);
}

void DelvorHole::CleanupSparkles() {
    for (auto& sparkle : m_aspSparkles)
        Retire(sparkle);
}

// ---- sounds

void DelvorHole::PlayHoleSound(const char* name) const {
    auto* sound = ZQ2::DynamicCast<ZQ2::Sound>(ZQ2::ResourceLookup::GetResource(name, kSection));
    if (sound)
        sound->PlaySample(1.0f, 0.0f, 1.0f, false);
}
