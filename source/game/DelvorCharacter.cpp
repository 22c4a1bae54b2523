#include "source/game/DelvorCharacter.h"

#include <cmath>
#include <string>

#include "engine/io/BasicProperties.h"
#include "engine/io/ObjectInitializer.h"
#include "engine/modifier/ModifierContainer.h"
#include "engine/modifier/ModifierDelegate.h"
#include "engine/modifier/ModifierFrame.h"
#include "engine/modifier/ModifierLocationLine.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/ResourceLookup.h"
#include "engine/core/Random.h"
#include "engine/modifier/ModifierDelay.h"
#include "source/game/DVNode.h"
#include "source/game/DelvorWorker.h"
#include "source/game/ModifierUseItem.h"
#include "source/scenes/SceneGame.h"

namespace {
constexpr float kShadowLift = 10.0f;
constexpr int kStateBeforeWalkIn = 3;
// A figure's own state 3: coming out of the tent at the start of the day.
constexpr int kStateLeavingTent = 3;
// Figures above this line stand in the back row, right after the back layer.
constexpr float kBackRowY = 92.0f;
constexpr int kImageNeutral = 1;
constexpr int kImageWon = 17;
constexpr int kImageLost = 18;
}  // namespace

const ZQ2::RTTI* const DelvorCharacter::rttis[] = {&ClickObject::rtti, nullptr};
const ZQ2::RTTI DelvorCharacter::rtti("DelvorCharacter", DelvorCharacter::rttis);
ZQ2::ObjectInitializer DelvorCharacter::m_ObjectInitializer("DelvorCharacter", &DelvorCharacter::OnData);

DelvorCharacter::DelvorCharacter(float x, float y, ZQ2::Image* image)
    : ClickObject(x, y, image, nullptr, nullptr), m_FootPoint(x, y + GetHeight()) {}

DelvorCharacter::DelvorCharacter(ZQ2::AbstractProperty* node)
    : ClickObject(node), m_FootPoint(GetX(), GetY() + GetHeight()) {}

DelvorCharacter::~DelvorCharacter() { ClearWalkModifiers(); }

ZQ2::BaseObject* DelvorCharacter::OnData(ZQ2::AbstractProperty* node) { return new DelvorCharacter(node); }

void DelvorCharacter::SetX(float x) {
    ClickObject::SetX(x);
    RelocateShadow(GetX(), GetY());
}

void DelvorCharacter::SetY(float y) {
    const bool moved = y != GetY();
    ClickObject::SetY(y);
    if (moved)
        AdjustZOrder();
    RelocateShadow(GetX(), GetY());
}

void DelvorCharacter::SetLocation(float x, float y) {
    const bool moved = y != GetY();
    ClickObject::SetX(x);
    ClickObject::SetY(y);
    if (moved)
        AdjustZOrder();
    RelocateShadow(x, y);
}

void DelvorCharacter::RelocateShadow(float x, float y) {
    SceneGame* level = Level();
    if (!level || level->GetGameState() <= kStateBeforeWalkIn)
        return;
    if (!m_spShadow) {
        std::string name;
        GetShadowImage(name);
        m_spShadow = new ZQ2::Sprite(0.0f, 0.0f, ZQ2::ResourceLookup::GetImage(name, "delvor", nullptr));
        m_spShadow->SetName("SHADOW");
    }
    m_spShadow->ZQ2::GameNode::SetLocation(x, y - kShadowLift);
    if (GetParent() && m_spShadow->GetNextSibling() != this)
        ZQ2::GameTree::LinkNodeBefore(this, m_spShadow.Get());
}

int DelvorCharacter::GetEffectiveWalkSpeed() const {
    SceneGame* level = Level();
    const int state = level ? level->GetGameState() : -1;
    int speed = m_iWalkSpeed + GetUpgradedWalkSpeed();
    if (state == kStateBeforeWalkIn || state == SceneGame::STATE_WORKERS_WALK_IN)
        speed = ZQ2::BasicProperties::GetInteger("BOSS_START_STAGE_WALKSPEED");
    // A missing constant or a negative upgrade would stall the walk.
    return speed < MIN_WALK_SPEED ? MIN_WALK_SPEED : speed;
}

void DelvorCharacter::ClearWalkModifiers() { EndHeld(m_pWalkModifier); }

void DelvorCharacter::SetWalkModifier(ZQ2::Modifier* modifier) {
    if (modifier)
        modifier->AddRef();
    ClearWalkModifiers();
    m_pWalkModifier = modifier;
}

void DelvorCharacter::ClearCurrentRoutine() {
    ClearWalkModifiers();
    RemoveAllAnimTreeModifiers();
}

void DelvorCharacter::WalkToSpot(int x, int y, int firstH, int firstV, int startX, int startY) {
    SceneGame* level = Level();
    if (!level)
        return;
    ZQ2::Point_t<float> start = m_FootPoint;
    if (startX != -1 || startY != -1)
        start.Set(static_cast<float>(startX), static_cast<float>(startY));
    DVNode* route = nullptr;
    level->GetPathFinder().FindPath(start, ZQ2::Point_t<float>(static_cast<float>(x), static_cast<float>(y)), firstH,
                                    firstV, &route);
    Walk(route, nullptr);
}

void DelvorCharacter::Walk(DVNode* route, ClickObject* target) {
    ClearCurrentRoutine();
    SetState(STATE_WALKING);
    m_WalkImages.clear();
    m_iNextWalkImage = 0;
    SceneGame* level = Level();
    if (!level || !level->GetAnimContainer() || !route) {
        DVPathFinder::FreePath(route);
        return;
    }
    m_pWalkModifier = new ZQ2::ModifierContainer(std::string(), true);
    m_pWalkModifier->AddRef();
    ZQ2::AnimTree::LinkNodeUnder(level->GetAnimContainer(), m_pWalkModifier);
    ZQ2::Modifier* last = m_pWalkModifier;
    const int speed = GetEffectiveWalkSpeed();
    const bool carrying = GetNumItems() > 0;
    m_WalkEnd.Set(route->m_fX, route->m_fY);
    for (DVNode* from = route; from->m_pFirst; from = from->m_pFirst) {
        const DVNode* to = from->m_pFirst;
        const bool horizontal = from->m_fY == to->m_fY;
        const int length = static_cast<int>(std::fabs(horizontal ? to->m_fX - from->m_fX : to->m_fY - from->m_fY));
        const int duration = length * 1000 / speed;
        if (from == route)
            ZQ2::AnimTree::LinkNodeUnder(m_pWalkModifier,
                                         new ZQ2::ModifierFrame(m_iWalkPixelsPerFrame * 1000 / speed, ZQ2::ModifierFrame::LOOP_ENDLESS,
                                                                ZQ2::FRAME_FORWARD),
                                         this);
        int code = 0;
        if (horizontal)
            code = (carrying ? 8 : 7) * (to->m_fX < from->m_fX ? -1 : 1);
        else
            code = to->m_fY < from->m_fY ? (carrying ? 4 : 3) : (carrying ? 6 : 5);
        m_WalkImages.push_back(code);
        last = ZQ2::AnimTree::LinkNodeUnder(
            last, new ZQ2::ModifierDelegate<DelvorCharacter>(this, &DelvorCharacter::DoSetImage), this);
        last = ZQ2::AnimTree::LinkNodeUnder(
            last, new ZQ2::ModifierLocationLine(from->m_fX, from->m_fY, to->m_fX, to->m_fY, duration, false), this);
        m_WalkEnd.Set(to->m_fX, to->m_fY);
    }
    if (IsBoss())
        last = ZQ2::AnimTree::LinkNodeUnder(
            last, new ModifierUseItem(ZQ2::BasicProperties::GetInteger("TIME_BOSS_USE_ITEM"), target), this);
    ZQ2::AnimTree::LinkNodeUnder(last, new ZQ2::ModifierDelegate<DelvorCharacter>(this, &DelvorCharacter::OnWalkFinished),
                                 this);
    DVPathFinder::FreePath(route);
}

bool DelvorCharacter::DoSetImage(ZQ2::BaseObject*, ZQ2::BaseObject*) {
    if (m_iNextWalkImage < m_WalkImages.size())
        SetCharacterImage(m_WalkImages[m_iNextWalkImage++]);
    return true;
}

bool DelvorCharacter::OnWalkFinished(ZQ2::BaseObject*, ZQ2::BaseObject*) {
    // Later rules compare positions for equality: the walk ends exactly on
    // its last node, whatever the animation's rounding.
    SetLocation(m_WalkEnd.x, m_WalkEnd.y);
    return DoWalkFinished();
}

bool DelvorCharacter::DoWalkFinished() {
    SetState(IsInHomeArea() ? STATE_HOME : STATE_ELSEWHERE);
    m_spNextDestination = nullptr;
    m_spCurrentHole = nullptr;
    SceneGame* level = Level();
    if (level)
        level->GetClickHandler().UpdateCheckMarks();
    ClearCurrentRoutine();
    if (level && level->GetGameState() == kStateBeforeWalkIn) {
        level->DoBossWalkFinished();
        SetCharacterImage(2);
        return true;
    }
    PickupItemsInQueue();
    if (IsWaitingForItemGeneration())
        return false;
    if (level && level->GetClickHandler().FindActionInQueue(this))
        return true;
    // A figure without a home spot stays where it is.
    const ZQ2::Point_t<float> home = GetHomePosition();
    if (IsBoss() && !IsInHomeArea() && (home.x >= 0.0f || home.y >= 0.0f)) {
        WalkHome();
        return true;
    }
    ResetImage();
    return true;
}

void DelvorCharacter::WalkHome() {
    const ZQ2::Point_t<float> home = GetHomePosition();
    const int facing = home.x > GetX() ? 1 : -1;
    WalkToSpot(static_cast<int>(home.x), static_cast<int>(home.y), facing, 0, -1, -1);
}

void DelvorCharacter::AdjustCharacterPosition(float dx, float dy) {
    SetX(m_FootPoint.x + dx);
    SetY(m_FootPoint.y + dy);
}

int DelvorCharacter::GetNumItemsInStack() const {
    int items = 0;
    for (ClickObject* target : m_Stack)
        if (target->IsItem())
            ++items;
    return items;
}

void DelvorCharacter::AddToStack(ClickObject* target) {
    if (!target)
        return;
    if (target->IsItem()) {
        if (GetNumItemsInStack() >= GetMaxItems())
            return;
        m_Stack.push_back(target);
        UpdateCheckMarks();
        return;
    }
    m_Stack.push_back(target);
    UpdateRouterMarks();
}

void DelvorCharacter::RemoveFromStack(int index) {
    if (index >= 0 && index < m_Stack.size())
        m_Stack.erase(m_Stack.begin() + index, m_Stack.begin() + index + 1);
}

void DelvorCharacter::SetNextDestination(ClickObject* target) {
    if (m_spNextDestination.Get() == target)
        return;
    m_spNextDestination = target;
    UpdateRouterMarks();
}

bool DelvorCharacter::IsNextDestination(ClickObject* target) const {
    return target && target == m_spNextDestination.Get() && target->GetRTTI().GetName() == "DelvorHole";
}

void DelvorCharacter::UpdateRouterMarks() {
    if (SceneGame* level = Level())
        level->GetClickHandler().UpdateCheckMarks();
}

// ---- the end-of-day animation

void DelvorCharacter::DoWinLossAnimation(ZQ2::Modifier* container, bool won) {
    ClearWalkModifiers();
    ClearIdleModifier();
    SetCharacterImage(won ? kImageWon : kImageLost);
    SceneGame* level = Level();
    if (!container) {
        if (!level || !level->GetAnimContainer())
            return;
        container = new ZQ2::ModifierContainer(std::string(), true);
        ZQ2::AnimTree::LinkNodeUnder(level->GetAnimContainer(), container);
    }
    m_pWalkModifier = new ZQ2::ModifierDelay(ZQ2::Random::Instance()->GetInt(1, 1000));
    m_pWalkModifier->AddRef();
    ZQ2::AnimTree::LinkNodeUnder(container, m_pWalkModifier, this);
    ZQ2::Modifier* frames = ZQ2::AnimTree::LinkNodeUnder(
        m_pWalkModifier,
        new ZQ2::ModifierFrame(ZQ2::BasicProperties::GetInteger("CHARACTER_WINLOSS_FRAMESPEED"), 1, ZQ2::FRAME_FORWARD),
        this);
    ZQ2::AnimTree::LinkNodeUnder(
        frames, new ZQ2::ModifierDelegate<DelvorCharacter>(this, &DelvorCharacter::DoRestartWinLossAnimation), this);
}

bool DelvorCharacter::DoRestartWinLossAnimation(ZQ2::BaseObject*, ZQ2::BaseObject*) {
    SceneGame* level = Level();
    if (m_pWalkModifier && level)
        DoWinLossAnimation(nullptr, level->ExceededGoal());
    return true;
}

void DelvorCharacter::EndWinLossAnimation() {
    ClearWalkModifiers();
    SetCharacterImage(kImageNeutral);
    SetCurrentFrame(0);
}

// ---- drawing order

float DelvorCharacter::GetAdjustedZOrderY(ZQ2::GameNode* node) {
    auto* hole = ZQ2::DynamicCast<ClickObject>(node);
    if (hole && node->GetName().find("HOLE") != std::string::npos)
        return hole->GetActionDest(2).y + 1.0f;
    return node->GetY();
}

namespace {

bool IsZOrderStop(const ZQ2::GameNode* node) {
    const std::string& name = node->GetName();
    return name == "BG_BACK" || name == "BG_FRONT" || name == "ITEM_BIN_COOKIE";
}

bool IsPassedOver(ZQ2::GameNode* node) {
    const std::string& name = node->GetName();
    if (name == "SHADOW" || name == "SHOVEL")
        return true;
    return name.empty() && !ZQ2::DynamicCast<DelvorCharacter>(node);
}

}  // namespace

void DelvorCharacter::AdjustZOrder() {
    SceneGame* level = Level();
    ZQ2::GameNode* parent = GetParent();
    if (!level || !parent)
        return;
    const int state = GetState();
    if (state != STATE_WALKING && state != kStateLeavingTent && CanCharacterWalk())
        return;
    if (static_cast<ClickObject*>(level->GetWorkerToDrag()) == this || level->GetGameState() == SceneGame::STATE_WORKERS_WALK_IN)
        return;
    if (GetY() < kBackRowY) {
        if (ZQ2::GameNode* back = parent->GetChild("BG_BACK", false))
            ZQ2::GameTree::LinkNodeAfter(back, this);
        return;
    }
    if (state == kStateLeavingTent)
        if (ZQ2::GameNode* front = parent->GetChild("BG_FRONT", false))
            ZQ2::GameTree::LinkNodeBefore(front, this);
    const float y = GetAdjustedZOrderY(this);
    ZQ2::GameNode* behind = nullptr;
    for (ZQ2::GameNode* prev = ZQ2::GameTree::GetSiblingBefore(this); prev;
         prev = ZQ2::GameTree::GetSiblingBefore(prev)) {
        if (IsZOrderStop(prev))
            break;
        if (IsPassedOver(prev))
            continue;
        if (GetAdjustedZOrderY(prev) <= y)
            break;
        behind = prev;
    }
    if (behind) {
        ZQ2::GameTree::LinkNodeBefore(behind, this);
        return;
    }
    ZQ2::GameNode* past = nullptr;
    for (ZQ2::GameNode* next = GetNextSibling(); next; next = next->GetNextSibling()) {
        if (IsZOrderStop(next))
            break;
        if (IsPassedOver(next))
            continue;
        if (GetAdjustedZOrderY(next) >= y)
            break;
        past = next;
    }
    if (past)
        ZQ2::GameTree::LinkNodeAfter(past, this);
}
