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
#include "source/game/DVNode.h"
#include "source/scenes/SceneGame.h"

namespace {
constexpr float kShadowLift = 10.0f;
constexpr int kStateBeforeWalkIn = 3;
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
    ClickObject::SetY(y);
    RelocateShadow(GetX(), GetY());
}

void DelvorCharacter::SetLocation(float x, float y) {
    ClickObject::SetX(x);
    ClickObject::SetY(y);
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

void DelvorCharacter::ClearWalkModifiers() {
    if (m_pWalkModifier) {
        m_pWalkModifier->SetObsolete(true);
        m_pWalkModifier->Release();
    }
    m_pWalkModifier = nullptr;
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

void DelvorCharacter::Walk(DVNode* route, ClickObject*) {
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
    if (level && level->GetClickHandler().FindActionInQueue(this))
        return true;
    if (IsBoss() && !IsInHomeArea()) {
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
