#include "source/game/DelvorPicker.h"

#include <cstdio>
#include <string>

#include "engine/core/Random.h"
#include "engine/io/BasicProperties.h"
#include "engine/io/ObjectInitializer.h"
#include "engine/modifier/ModifierContainer.h"
#include "engine/modifier/ModifierFrame.h"
#include "engine/modifier/ModifierFunction.h"
#include "engine/sprite/AnimTree.h"
#include "source/game/DelvorHole.h"
#include "source/scenes/SceneGame.h"

namespace {

constexpr int kStripCount = 20;
const char* const kStrips[kStripCount] = {
    "",
    "PICKER%d_WAIT",
    "PICKER%d_ASK",
    "PICKER%d_WALK_BACK",
    "",
    "PICKER%d_WALK_FRONT",
    "",
    "PICKER%d_WALK_SIDE",
    "",
    "PICKER%d_PICK",
    "PICKER%d_DIZZY",
    "PICKER%d_EAT",
    "PICKER%d_DRINK",
    "PICKER%d_HYPNO",
    "",
    "PICKER%d_PANIC",
    "PICKER%d_CELEBRATE",
    "PICKER%d_WIN",
    "PICKER%d_LOSE",
    "PICKER%d_IMPATIENT",
};

constexpr int kHoleWorked = 102;
// The pick strip is drawn this far left of the foot point, mirrored or not.
constexpr int kPickShift = -16;

int Constant(const char* key) { return ZQ2::BasicProperties::GetInteger(key); }

}  // namespace

const ZQ2::RTTI* const DelvorPicker::rttis[] = {&DelvorWorker::rtti, nullptr};
const ZQ2::RTTI DelvorPicker::rtti("DelvorPicker", DelvorPicker::rttis);
ZQ2::ObjectInitializer DelvorPicker::m_ObjectInitializer("DelvorPicker", &DelvorPicker::OnData);

DelvorPicker::DelvorPicker(float x, float y, ZQ2::Image* image) : DelvorWorker(x, y, image) {}

DelvorPicker::DelvorPicker(ZQ2::AbstractProperty* node) : DelvorWorker(node) {}

ZQ2::BaseObject* DelvorPicker::OnData(ZQ2::AbstractProperty* node) { return new DelvorPicker(node); }

void DelvorPicker::Init(int x, int y, ZQ2::BaseObject* level) {
    SetActivity(ACTIVITY_FREE);
    SetRequest(REQUEST_NONE);
    SetupHungerThirst(m_iGender, level);
    SetHoldArea(static_cast<float>(x), static_cast<float>(y));
    // A type count below 1 is refused by the data check; here it gives type 1.
    const int types = Constant("NUM_PICKER_TYPES");
    m_iType = types > 1 ? ZQ2::Random::Instance()->GetInt(1, types + 1) : 1;
    char strip[64];
    std::snprintf(strip, sizeof strip, kStrips[IMAGE_STANDING], m_iType);
    SetupCharacter(strip, static_cast<float>(x), static_cast<float>(y), Constant("PICKER_WALKSPEED"));
    m_iPickFrameMs = Constant("PICKER_PICK_FRAMESPEED");
    m_iDizzyFrameMs = Constant("PICKER_DIZZY_FRAMESPEED");
    m_iHypnoFrameMs = Constant("PICKER_HYPNOTIZED_FRAMESPEED");
    m_iEatFrameMs = Constant("PICKER_EATDRINK_FRAMESPEED");
    m_iEatLoops = Constant("PICKER_EATDRINK_NUMLOOPS");
    SetWalkPixelsPerFrame(Constant("PICKER_WALK_PIXELS_PER_FRAME"));
    m_iActivityFrameMs = 0;
    SetCurrentFrame(0);
}

void DelvorPicker::SetupHungerThirst(int, ZQ2::BaseObject* level) {
    static const NeedKeys kKeys = {"PICKER_HUNGER_BASE", "PICKER_HUNGER_RANGE", "PICKER_THIRST_BASE",
                                   "PICKER_THIRST_RANGE"};
    ArmNeedTimer(kKeys, level);
}

int DelvorPicker::GetWorkerDizzySpeed() const {
    if (GetRequest() == REQUEST_FOOD)
        return Constant("PICKER_HUNGER_DIZZY");
    if (GetRequest() == REQUEST_WATER)
        return Constant("PICKER_THIRST_DIZZY");
    return 0;
}

int DelvorPicker::GetWaitAreaY() const { return Constant("PICKER_WAITAREA_Y"); }

bool DelvorPicker::WorkerNeededAtHole(DelvorHole* hole) const {
    return hole && hole->CanBeWorked() && hole->IsCurrentHoleLayerRock();
}

bool DelvorPicker::ShouldVuruRespond() const { return GetHole() && GetHole()->ShouldVuruRespond(); }

bool DelvorPicker::IsAvailable() const {
    const int activity = GetActivity();
    return GetState() != STATE_WALKING && activity != ACTIVITY_WALKING_TO_HOLE && activity != 5 && activity != 12 &&
           activity != ACTIVITY_SENT_HOME && activity != ACTIVITY_BREAK_OVER;
}

int DelvorPicker::GetAdjustedIdleFrameSpeed() const {
    return Constant(IsImpatient() ? "TIME_PICKER_IDLE_FRAMESPEED_IMPATIENT" : "TIME_PICKER_IDLE_FRAMESPEED");
}

void DelvorPicker::GetShadowImage(std::string& name) {
    name = GetActivity() == ACTIVITY_PICKING ? "SHADOW_PICKER" : "SHADOW_DIGGER";
}

void DelvorPicker::SetCharacterImage(int code) {
    // A picker breaking rock gets its pick strip back, as a digger gets its dig strip.
    if (code == IMAGE_RESTORE)
        code = RestoreImageCode(ACTIVITY_PICKING);
    ShowStrip(kStrips, kStripCount, m_iType, code);
}

void DelvorPicker::ClearCurrentRoutine() { ClearStrokeOrRoutine(); }

void DelvorPicker::GetHoldArea(float& x, float& y) const {
    x = m_fHoldX;
    y = m_fHoldY;
}

void DelvorPicker::SetHoldArea(float x, float y) {
    m_fHoldX = x;
    m_fHoldY = y;
}

void DelvorPicker::ChangeMood(bool reset, bool) {
    if (reset && !GetHole())
        ResetMood();
}

// ---- breaking rock

void DelvorPicker::Pick(bool start) {
    RemoveAllAnimTreeModifiers();
    EndActivityRoutine();
    SceneGame* level = Level();
    ZQ2::SmartPtr<DelvorHole> hole(GetHole());
    if (start && level && hole && hole->IsRocky() && !level->IsTimerExpired()) {
        SetActivity(ACTIVITY_PICKING);
        hole->SetHoleState(kHoleWorked);
        SetCharacterImage(9);
        SetFlipImageHorizontal(hole->ShouldFlipWorker(this));
        AdjustCharacterPosition(static_cast<float>(kPickShift), 0.0f);
        ClearCurrentRoutine();
        StartStroke(GetUpgradedPickSpeed(), &DelvorPicker::DoPickHalfFinished, &DelvorPicker::DoPickFinished);
        return;
    }
    SetCharacterImage(IMAGE_NEUTRAL);
    StandAfterStroke(hole.Get(), true, hole && !hole->IsCurrentHoleLayerRock());
}

void DelvorPicker::DoPickHalfFinished(ZQ2::BaseObject* target, ZQ2::BaseObject*) {
    if (auto* picker = ZQ2::DynamicCast<DelvorPicker>(target))
        picker->OnPickHalfFinished();
}

void DelvorPicker::DoPickFinished(ZQ2::BaseObject* target, ZQ2::BaseObject*) {
    if (auto* picker = ZQ2::DynamicCast<DelvorPicker>(target))
        picker->OnPickFinished();
}

void DelvorPicker::OnPickHalfFinished() {
    if (StrokeInterrupted())
        return;
    if (GetHole())
        GetHole()->Pick(1);
    PlayDelvorSound("SOUND_PICKER_PICK");
    if (HasPersonalNeed())
        SetupRequestBalloon();
}

void DelvorPicker::OnPickFinished() {
    if (StrokeInterrupted())
        return;
    Pick(GetHole() && GetHole()->IsCurrentHoleLayerRock());
    if (HasPersonalNeed())
        SetupRequestBalloon();
}
