#include "source/game/DelvorGenerator.h"

#include <cmath>
#include <initializer_list>
#include <string>

#include "engine/io/BasicProperties.h"
#include "engine/io/ObjectInitializer.h"
#include "engine/modifier/ModifierContainer.h"
#include "engine/modifier/ModifierDelay.h"
#include "engine/modifier/ModifierDelegate.h"
#include "engine/modifier/ModifierFrame.h"
#include "engine/modifier/ModifierLocationPolygonicPath.h"
#include "engine/sound/Sound.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/ResourceLookup.h"
#include "source/game/DelvorCharacter.h"
#include "source/game/DelvorItem.h"
#include "source/scenes/DVUpgradeHandler.h"
#include "source/scenes/SceneGame.h"

namespace {

const char* const kSection = "delvor";
constexpr int kImageCount = 5;
const char* const kCookieImages[kImageCount] = {"COOKIE_DEFAULT", "COOKIE_IDLE", "COOKIE_GENERATE_FOOD", "COOKIE_WIN",
                                                "COOKIE_LOSE"};
const char* const kToolmakerImages[kImageCount] = {"TOOLMAKER_DEFAULT", "", "TOOLMAKER_GENERATE_TOOLS", "", ""};
constexpr int kUpgradeCookie = 4;
constexpr int kUpgradeToolmaker = 5;
// The longest pause between two end-of-day jumps, exclusive.
constexpr int kWinLossPauseEnd = 1000;
constexpr int kDustLoops = -1;

void PlaySound(const char* name) {
    auto* sound = ZQ2::DynamicCast<ZQ2::Sound>(ZQ2::ResourceLookup::GetResource(name, kSection));
    if (sound)
        sound->PlaySample(1.0f, 0.0f, 1.0f, false);
}

bool StartsWithAny(const std::string& name, std::initializer_list<const char*> prefixes) {
    for (const char* prefix : prefixes)
        if (name.rfind(prefix, 0) == 0)
            return true;
    return false;
}

// A work animation that never ended would leave the item off its table
// for the rest of the day.
int AtLeastOne(int value) { return value < 1 ? 1 : value; }

}  // namespace

const ZQ2::RTTI* const DelvorGenerator::rttis[] = {&ClickObject::rtti, nullptr};
const ZQ2::RTTI DelvorGenerator::rtti("DelvorGenerator", DelvorGenerator::rttis);
ZQ2::ObjectInitializer DelvorGenerator::m_ObjectInitializer("DelvorGenerator", &DelvorGenerator::OnData);

DelvorGenerator::DelvorGenerator(float x, float y, ZQ2::Image* image, ZQ2::BaseObject* target,
                                 ZQ2::iGuiMethod::Method callback)
    : ClickObject(x, y, image, target, callback) {}

DelvorGenerator::DelvorGenerator(ZQ2::AbstractProperty* node) : ClickObject(node) {}

DelvorGenerator::~DelvorGenerator() { ClearGenerateModifier(); }

ZQ2::BaseObject* DelvorGenerator::OnData(ZQ2::AbstractProperty* node) { return new DelvorGenerator(node); }

bool DelvorGenerator::CanThisGeneratorCreateThisItem(DelvorItem* item) const {
    if (!item)
        return false;
    if (IsCookie())
        return StartsWithAny(item->GetName(), {"ITEM_SANDWICH", "ITEM_APPLE", "ITEM_CANTEEN"});
    if (IsToolmaker())
        return StartsWithAny(item->GetName(), {"ITEM_SIFTER", "ITEM_BRUSH", "ITEM_MEDICINE", "ITEM_BOTTLE"});
    return false;
}

DelvorItem* DelvorGenerator::GetQueuedItem(int index) const {
    if (index < 0 || index >= GetNumItemsInQueue())
        return nullptr;
    return m_Queue[index].Get();
}

// ---- images and states

void DelvorGenerator::SetGeneratorImage(int index) {
    const char* const* names = IsCookie() ? kCookieImages : IsToolmaker() ? kToolmakerImages : nullptr;
    // An empty name keeps the picture shown.
    if (names && index >= 0 && index < kImageCount && *names[index])
        SetImage(ZQ2::ResourceLookup::GetImage(names[index], kSection, nullptr));
    SetCurrentFrame(0);
}

void DelvorGenerator::SetGeneratorState(int state) {
    m_iGeneratorState = state;
    if (state == STATE_IDLE)
        SetGeneratorImage(IsCookie() ? IMAGE_IDLE : IMAGE_DEFAULT);
    else
        SetGeneratorImage(state);
    ClearIdleModifier();
    if (state != STATE_IDLE)
        return;
    if (IsCookie())
        StartIdleRoutine();
    SetGeneratorImage(IMAGE_DEFAULT);
}

void DelvorGenerator::ClearGenerateModifier() {
    if (m_spAnimation)
        m_spAnimation->SetObsolete(true);
    m_spAnimation = nullptr;
}

int DelvorGenerator::GetGeneratorFrameSpeed() const {
    if (IsCookie())
        return ZQ2::BasicProperties::GetInteger("COOKIE_GENERATOR_FRAMESPEED");
    if (IsToolmaker())
        return ZQ2::BasicProperties::GetInteger("TOOLMAKER_GENERATOR_FRAMESPEED");
    return 0;
}

int DelvorGenerator::GetGeneratorNumLoops() const {
    if (!IsCookie() && !IsToolmaker())
        return 0;
    const int loops = ZQ2::BasicProperties::GetInteger(IsCookie() ? "COOKIE_GENERATOR_NUMLOOPS"
                                                                  : "TOOLMAKER_GENERATOR_NUMLOOPS");
    DVUpgradeHandler* upgrades = DVUpgradeHandler::g_Instance;
    if (!upgrades)
        return loops;
    return loops + upgrades->GetCurrentUpgradeValue(IsCookie() ? kUpgradeCookie : kUpgradeToolmaker);
}

int DelvorGenerator::GetAdjustedIdleFrameSpeed() const {
    if (IsCookie())
        return ZQ2::BasicProperties::GetInteger("TIME_COOKIE_IDLE_FRAMESPEED");
    return ClickObject::GetAdjustedIdleFrameSpeed();
}

// ---- making and throwing

void DelvorGenerator::GenerateItem(DelvorItem* item) {
    const bool given = item != nullptr;
    if (!given) {
        if (m_Queue.empty())
            return;
        item = m_Queue[0].Get();
    }
    if (!CanThisGeneratorCreateThisItem(item))
        return;
    if (m_iGeneratorState == STATE_GENERATING) {
        if (given)
            m_Queue.push_back(ZQ2::SmartPtr<DelvorItem>(item));
        return;
    }
    SetGeneratorState(STATE_GENERATING);
    if (given)
        m_Queue.push_back(ZQ2::SmartPtr<DelvorItem>(item));
    PlaySound(IsCookie() ? "SOUND_COOKIE_MAKES_FOOD" : "SOUND_TOOLMAKER_MAKE_TOOL");
    SceneGame* level = Level();
    if (!level || !level->GetAnimContainer())
        return;
    auto* container = new ZQ2::ModifierContainer(std::string(), true);
    ZQ2::AnimTree::LinkNodeUnder(level->GetAnimContainer(), container);
    m_spAnimation = container;
    ZQ2::Modifier* work = ZQ2::AnimTree::LinkNodeUnder(
        container,
        new ZQ2::ModifierFrame(AtLeastOne(GetGeneratorFrameSpeed()), AtLeastOne(GetGeneratorNumLoops()),
                               ZQ2::FRAME_FORWARD),
        this);
    StartDustCloud(container);
    ZQ2::Modifier* prepare = ZQ2::AnimTree::LinkNodeUnder(
        work, new ZQ2::ModifierDelegate<DelvorGenerator>(this, &DelvorGenerator::OnPrepareToThrowItem));
    GeneratePolyPath(item);
    ZQ2::Modifier* flight = ZQ2::AnimTree::LinkNodeUnder(
        prepare,
        new ZQ2::ModifierLocationPolygonicPath(m_spPath.Get(),
                                               ZQ2::BasicProperties::GetInteger("TIME_ITEM_GENERATOR_FLIGHT"), false,
                                               false, 0),
        item);
    ZQ2::AnimTree::LinkNodeUnder(flight,
                                 new ZQ2::ModifierDelegate<DelvorGenerator>(this, &DelvorGenerator::OnGeneratorFinished));
}

void DelvorGenerator::StartDustCloud(ZQ2::Modifier* container) {
    SceneGame* level = Level();
    ZQ2::Sprite* cloud = level ? level->GetCloud(GetCloudIndex()) : nullptr;
    if (!cloud)
        return;
    ZQ2::GameNode* parent = GetParent();
    const float parentX = parent ? parent->GetScreenX() : 0.0f;
    const float parentY = parent ? parent->GetScreenY() : 0.0f;
    cloud->SetX(GetX() + parentX);
    cloud->SetY(GetY() + parentY - GetHeight());
    cloud->SetCurrentFrame(0);
    cloud->SetVisible(true);
    if (ZQ2::GameNode* table = level->GetChild(IsCookie() ? "TABLE_COOKIE" : "TABLE_DOVIDI", true))
        ZQ2::GameTree::LinkNodeAfter(table, cloud);
    const int speed = ZQ2::BasicProperties::GetInteger(IsCookie() ? "COOKIE_DUST_FRAMESPEED" : "TOOLMAKER_DUST_FRAMESPEED");
    ZQ2::AnimTree::LinkNodeUnder(container, new ZQ2::ModifierFrame(speed, kDustLoops, ZQ2::FRAME_FORWARD), cloud);
}

void DelvorGenerator::HideDustCloud() {
    SceneGame* level = Level();
    if (ZQ2::Sprite* cloud = level ? level->GetCloud(GetCloudIndex()) : nullptr)
        cloud->SetVisible(false);
}

void DelvorGenerator::GeneratePolyPath(DelvorItem* item) {
    m_spPath = nullptr;
    float startX = GetX() + 0.5f * GetWidth();
    float startY = GetY() - GetHeight();
    if (IsCookie()) {
        SceneGame* level = Level();
        ZQ2::GameNode* table = level ? level->GetChild("TABLE_COOKIE", true) : nullptr;
        const float tableX = table ? table->GetX() : 0.0f;
        const float tableY = table ? table->GetY() : 0.0f;
        startX = GetX() - tableX + 0.25f * GetWidth();
        startY = GetY() - tableY - 0.75f * GetHeight();
    }
    const float itemX = item ? item->GetX() : startX;
    const float itemY = item ? item->GetY() : startY;
    const auto d = static_cast<float>(static_cast<int>(std::fabs(itemX - startX)));
    // The cook throws to the left, the toolmaker to the right.
    const float side = IsCookie() ? -1.0f : 1.0f;
    m_spPath = new ZQ2::PolygonF();
    m_spPath->SetClosed(false);
    m_spPath->Add(ZQ2::PolygonPointF(startX, startY));
    m_spPath->Add(ZQ2::PolygonPointF(startX + side * 0.4f * d, startY - THROW_ARC_HEIGHT));
    m_spPath->Add(ZQ2::PolygonPointF(startX + side * 0.6f * d, startY - THROW_ARC_HEIGHT));
    m_spPath->Add(ZQ2::PolygonPointF(itemX, itemY));
}

bool DelvorGenerator::OnPrepareToThrowItem(ZQ2::BaseObject*, ZQ2::BaseObject*) {
    DelvorItem* item = GetQueuedItem(0);
    if (!item)
        return true;
    item->SetVisible(true);
    if (m_spPath && m_spPath->GetCount() > 0)
        item->SetLocation(m_spPath->Get(0).x, m_spPath->Get(0).y);
    item->SetHighlightState(false);
    return true;
}

bool DelvorGenerator::OnGeneratorFinished(ZQ2::BaseObject*, ZQ2::BaseObject*) {
    ZQ2::SmartPtr<DelvorItem> landed(GetQueuedItem(0));
    if (landed) {
        landed->SetVisible(true);
        landed->SetOnTable(true);
        m_Queue.erase(m_Queue.begin(), m_Queue.begin() + 1);
    }
    SetGeneratorState(STATE_IDLE);
    ClearGenerateModifier();
    if (AreItemsToBeGenerated())
        GenerateItem(nullptr);
    else
        HideDustCloud();
    auto* carrier = landed ? ZQ2::DynamicCast<DelvorCharacter>(landed->GetBoss()) : nullptr;
    if (carrier && carrier->IsWaitingForItemGeneration())
        carrier->DoWalkFinished();
    return true;
}

// ---- the end of the day

void DelvorGenerator::DoWinLossAnimation(ZQ2::Modifier* container, bool won) {
    if (!IsCookie())
        return;
    m_spAnimation = nullptr;
    ClearIdleModifier();
    SetGeneratorImage(won ? IMAGE_WIN : IMAGE_LOSE);
    const int pause = DrawIdleDelay(1, kWinLossPauseEnd);
    SceneGame* level = Level();
    if (!container) {
        if (!level || !level->GetAnimContainer())
            return;
        container = new ZQ2::ModifierContainer(std::string(), true);
        ZQ2::AnimTree::LinkNodeUnder(level->GetAnimContainer(), container);
    }
    m_spAnimation = ZQ2::AnimTree::LinkNodeUnder(container, new ZQ2::ModifierDelay(pause), this);
    ZQ2::Modifier* frames = ZQ2::AnimTree::LinkNodeUnder(
        m_spAnimation.Get(),
        new ZQ2::ModifierFrame(ZQ2::BasicProperties::GetInteger("COOKIE_WINLOSS_FRAMESPEED"), 1, ZQ2::FRAME_FORWARD),
        this);
    ZQ2::AnimTree::LinkNodeUnder(
        frames, new ZQ2::ModifierDelegate<DelvorGenerator>(this, &DelvorGenerator::DoRestartWinLossAnimation));
}

bool DelvorGenerator::DoRestartWinLossAnimation(ZQ2::BaseObject*, ZQ2::BaseObject*) {
    if (!m_spAnimation)
        return true;
    EndWinLossAnimation();
    SceneGame* level = Level();
    DoWinLossAnimation(nullptr, level && level->ExceededGoal());
    return true;
}

void DelvorGenerator::EndWinLossAnimation() {
    SetGeneratorImage(IMAGE_DEFAULT);
    m_spAnimation = nullptr;
}
