#include "source/game/DelvorDigger.h"

#include <cstdio>
#include <string>

#include "engine/core/Random.h"
#include "engine/io/BasicProperties.h"
#include "engine/io/ObjectInitializer.h"
#include "engine/modifier/ModifierContainer.h"
#include "engine/modifier/ModifierFrame.h"
#include "engine/modifier/ModifierFunction.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/ResourceLookup.h"
#include "source/game/DelvorHole.h"
#include "source/scenes/SceneGame.h"

namespace {

constexpr int kStripCount = 20;
const char* const kMaleStrips[kStripCount] = {
    "",
    "DIGGER_MALE%d_WAIT",
    "DIGGER_MALE%d_ASK",
    "DIGGER_MALE%d_WALK_BACK",
    "",
    "DIGGER_MALE%d_WALK_FRONT",
    "",
    "DIGGER_MALE%d_WALK_SIDE",
    "",
    "DIGGER_MALE%d_DIG",
    "DIGGER_MALE%d_DIZZY",
    "DIGGER_MALE%d_EAT",
    "DIGGER_MALE%d_DRINK",
    "DIGGER_MALE%d_HYPNO",
    "DIGGER_MALE%d_ACTIVITY",
    "DIGGER_MALE%d_IMPATIENT",
    "DIGGER_MALE%d_CELEBRATE",
    "DIGGER_MALE%d_WIN",
    "DIGGER_MALE%d_LOSE",
    "DIGGER_MALE%d_IMPATIENT",
};
const char* const kFemaleStrips[kStripCount] = {
    "",
    "DIGGER_FEMALE%d_WAIT",
    "DIGGER_FEMALE%d_ASK",
    "DIGGER_FEMALE%d_WALK_BACK",
    "",
    "DIGGER_FEMALE%d_WALK_FRONT",
    "",
    "DIGGER_FEMALE%d_WALK_SIDE",
    "",
    "DIGGER_FEMALE%d_DIG",
    "DIGGER_FEMALE%d_DIZZY",
    "DIGGER_FEMALE%d_EAT",
    "DIGGER_FEMALE%d_DRINK",
    "DIGGER_FEMALE%d_HYPNO",
    "DIGGER_FEMALE%d_ACTIVITY",
    "DIGGER_FEMALE%d_IMPATIENT",
    "DIGGER_FEMALE%d_CELEBRATE",
    "DIGGER_FEMALE%d_WIN",
    "DIGGER_FEMALE%d_LOSE",
    "DIGGER_FEMALE%d_IMPATIENT",
};

constexpr int kHoleWorked = 102;
constexpr int kFlippedDigShift = -15;

int Constant(const std::string& key) { return ZQ2::BasicProperties::GetInteger(key); }

}  // namespace

const ZQ2::RTTI* const DelvorDigger::rttis[] = {&DelvorWorker::rtti, nullptr};
const ZQ2::RTTI DelvorDigger::rtti("DelvorDigger", DelvorDigger::rttis);
ZQ2::ObjectInitializer DelvorDigger::m_ObjectInitializer("DelvorDigger", &DelvorDigger::OnData);

DelvorDigger::DelvorDigger(float x, float y, ZQ2::Image* image, int gender)
    : DelvorWorker(x, y, image), m_iGender(gender) {}

DelvorDigger::DelvorDigger(ZQ2::AbstractProperty* node) : DelvorWorker(node) {}

DelvorDigger::~DelvorDigger() { EndHeld(m_pShovel); }

ZQ2::BaseObject* DelvorDigger::OnData(ZQ2::AbstractProperty* node) { return new DelvorDigger(node); }

void DelvorDigger::Init(int x, int y, ZQ2::BaseObject* level, int colour) {
    SetActivity(ACTIVITY_FREE);
    SetRequest(REQUEST_NONE);
    SetupHungerThirst(m_iGender, level);
    SetHoldArea(static_cast<float>(x), static_cast<float>(y));
    m_iColor = colour;
    const std::string g = m_iGender == 1 ? "MALE" : "FEMALE";
    char strip[64];
    std::snprintf(strip, sizeof strip, (m_iGender == 1 ? kMaleStrips : kFemaleStrips)[IMAGE_STANDING], m_iColor);
    SetupCharacter(strip, static_cast<float>(x), static_cast<float>(y), Constant("DIGGER_" + g + "_WALKSPEED"));
    m_iDigFrameMs = Constant("DIGGER_" + g + "_DIG_FRAMESPEED");
    m_iActivityFrameMs = Constant("DIGGER_" + g + "_ACTIVITY_FRAMESPEED");
    m_iDizzyFrameMs = Constant("DIGGER_DIZZY_FRAMESPEED");
    m_iHypnoFrameMs = Constant("DIGGER_HYPNOTIZED_FRAMESPEED");
    m_iEatFrameMs = Constant("DIGGER_EATDRINK_FRAMESPEED");
    m_iEatLoops = Constant("DIGGER_EATDRINK_NUMLOOPS");
    SetWalkPixelsPerFrame(Constant("DIGGER_WALK_PIXELS_PER_FRAME"));
    SetCurrentFrame(0);
    if (m_pShovel)
        return;
    m_pShovel = new ZQ2::Sprite(0.0f, 0.0f, ZQ2::ResourceLookup::GetImage("DIGGER_SHOVEL", "delvor", nullptr));
    m_pShovel->AddRef();
    m_pShovel->SetVisible(false);
    m_pShovel->SetName("SHOVEL");
    m_pShovel->SetAnchorPoint(ZQ2::ANCHOR_BOTTOMLEFT);
}

void DelvorDigger::SetupHungerThirst(int gender, ZQ2::BaseObject* level) {
    static const NeedKeys kMale = {"DIGGER_MALE_HUNGER_BASE", "DIGGER_MALE_HUNGER_RANGE", "DIGGER_MALE_THIRST_BASE",
                                   "DIGGER_MALE_THIRST_RANGE"};
    static const NeedKeys kFemale = {"DIGGER_FEMALE_HUNGER_BASE", "DIGGER_FEMALE_HUNGER_RANGE",
                                     "DIGGER_FEMALE_THIRST_BASE", "DIGGER_FEMALE_THIRST_RANGE"};
    ArmNeedTimer(gender == 1 ? kMale : kFemale, level);
}

int DelvorDigger::GetWorkerDizzySpeed() const {
    const std::string g = m_iGender == 1 ? "MALE" : "FEMALE";
    if (GetRequest() == REQUEST_FOOD)
        return Constant("DIGGER_" + g + "_HUNGER_DIZZY");
    if (GetRequest() == REQUEST_WATER)
        return Constant("DIGGER_" + g + "_THIRST_DIZZY");
    return 0;
}

int DelvorDigger::GetWaitAreaY() const { return Constant("DIGGER_WAITAREA_Y"); }

bool DelvorDigger::WorkerNeededAtHole(DelvorHole* hole) const {
    return hole && hole->CanBeWorked() && hole->IsCurrentHoleLayerDirt();
}

bool DelvorDigger::ShouldVuruRespond() const { return GetHole() && GetHole()->ShouldVuruRespond(); }

bool DelvorDigger::IsAvailable() const {
    const int activity = GetActivity();
    return GetState() != STATE_WALKING && activity != ACTIVITY_WALKING_TO_HOLE && activity != 5 && activity != 12 &&
           activity != ACTIVITY_SENT_HOME && activity != ACTIVITY_BREAK_OVER;
}

int DelvorDigger::GetAdjustedIdleFrameSpeed() const {
    const int speed = ClickObject::GetAdjustedIdleFrameSpeed();
    return IsImpatient() ? speed / 2 : speed;
}

void DelvorDigger::SetCharacterImage(int code) {
    if (code == IMAGE_RESTORE)
        code = RestoreImageCode(ACTIVITY_DIGGING);
    ShowStrip(m_iGender == 1 ? kMaleStrips : kFemaleStrips, kStripCount, m_iColor, code);
}

void DelvorDigger::ClearCurrentRoutine() { ClearStrokeOrRoutine(); }

void DelvorDigger::GetHoldArea(float& x, float& y) const {
    x = m_fHoldX;
    y = m_fHoldY;
}

void DelvorDigger::SetHoldArea(float x, float y) {
    m_fHoldX = x;
    m_fHoldY = y;
}

void DelvorDigger::ChangeMood(bool reset, bool) {
    if (reset && !GetHole())
        ResetMood();
}

bool DelvorDigger::IsColorMatch() const {
    DelvorHole* hole = GetHole();
    SceneGame* level = Level();
    if (!hole || hole->GetNumWorkers() != 2 || !level || level->GetVariables().iDiggerColors < 2)
        return false;
    auto* other = ZQ2::DynamicCast<DelvorDigger>(hole->GetOtherWorker(const_cast<DelvorDigger*>(this)));
    return other && other->m_iColor == m_iColor;
}

void DelvorDigger::ShowShovel() {
    if (!m_pShovel)
        return;
    const bool show = IsCharacterInWaitingArea() && GetState() != STATE_WALKING && !IsDragged();
    m_pShovel->SetVisible(show);
    if (!show)
        return;
    if (GetParent())
        ZQ2::GameTree::LinkNodeBefore(this, m_pShovel);
    m_pShovel->SetLocation(GetX(), GetY());
}

// ---- digging

void DelvorDigger::Dig(bool start) {
    RemoveAllAnimTreeModifiers();
    EndActivityRoutine();
    SceneGame* level = Level();
    ZQ2::SmartPtr<DelvorHole> hole(GetHole());
    if (start && level && hole && hole->IsCurrentHoleLayerDirt() && !level->IsTimerExpired()) {
        SetActivity(ACTIVITY_DIGGING);
        hole->SetHoleState(kHoleWorked);
        SetCharacterImage(9);
        SetFlipImageHorizontal(hole->ShouldFlipWorker(this));
        if (IsMirrored())
            AdjustCharacterPosition(static_cast<float>(kFlippedDigShift), 0.0f);
        ClearCurrentRoutine();
        StartStroke(GetUpgradedDigSpeed(), &DelvorDigger::DoDigHalfFinished, &DelvorDigger::DoDigFinished);
        return;
    }
    SetCharacterImage(IMAGE_STANDING);
    if (hole && !hole->IsCurrentHoleLayerDirt())
        hole->AdvanceHolePastDirt();
    StandAfterStroke(hole.Get(), IsMirrored(), hole && !hole->IsCurrentHoleLayerDirt());
}

void DelvorDigger::DoDigHalfFinished(ZQ2::BaseObject* target, ZQ2::BaseObject*) {
    if (auto* digger = ZQ2::DynamicCast<DelvorDigger>(target))
        digger->OnDigHalfFinished();
}

void DelvorDigger::DoDigFinished(ZQ2::BaseObject* target, ZQ2::BaseObject*) {
    if (auto* digger = ZQ2::DynamicCast<DelvorDigger>(target))
        digger->OnDigFinished();
}

void DelvorDigger::OnDigHalfFinished() {
    if (SendHomeAtWhistle())
        return;
    if (HasPersonalNeed()) {
        SetupRequestBalloon();
        return;
    }
    PlayDelvorSound("SOUND_DIGGER_DIG" + std::to_string(ZQ2::Random::Instance()->GetInt(1, 4)));
}

void DelvorDigger::OnDigFinished() {
    if (StrokeInterrupted())
        return;
    Dig(GetHole() && GetHole()->IsCurrentHoleLayerDirt());
    if (HasPersonalNeed())
        SetupRequestBalloon();
}

// ---- celebrating

bool DelvorDigger::Celebrate(ZQ2::Modifier* container) {
    DelvorHole* hole = GetHole();
    const bool flip = hole && hole->ShouldFlipWorker(this);
    SetCharacterImage(flip ? -16 : 16);
    SetActivity(ACTIVITY_CELEBRATING);
    if (!container)
        return true;
    ZQ2::Modifier* frames = ZQ2::AnimTree::LinkNodeUnder(
        container, new ZQ2::ModifierFrame(Constant("DIGGER_CELEBRATE_FRAMESPEED"), 1, ZQ2::FRAME_FORWARD), this);
    ZQ2::AnimTree::LinkNodeUnder(frames,
                                 new ZQ2::ModifierFunction(this, &DelvorDigger::DoCelebrateFinished, std::string()));
    return true;
}

void DelvorDigger::DoCelebrateFinished(ZQ2::BaseObject* target, ZQ2::BaseObject*) {
    if (auto* digger = ZQ2::DynamicCast<DelvorDigger>(target))
        digger->OnCelebrateFinished();
}

void DelvorDigger::OnCelebrateFinished() {
    SceneGame* level = Level();
    if (level && level->GetGameState() >= SceneGame::STATE_TIME_UP && GetState() == STATE_WALKING)
        return;
    SetActivity(ACTIVITY_STOPPED);
    if (GetHole())
        GetHole()->CelebrateFinished();
    SendHomeIfDayOver();
}
