#include "source/game/DelvorWorker.h"

#include <cmath>
#include <cstdio>

#include "engine/core/Random.h"
#include "engine/framework/MouseMessageData.h"
#include "engine/io/BasicProperties.h"
#include "engine/io/ObjectInitializer.h"
#include "engine/modifier/ModifierContainer.h"
#include "engine/modifier/ModifierDelay.h"
#include "engine/modifier/ModifierFrame.h"
#include "engine/modifier/ModifierFunction.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "engine/sound/Sound.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/ResourceLookup.h"
#include "source/game/DelvorHole.h"
#include "source/scenes/DVUpgradeHandler.h"
#include "source/scenes/SceneGame.h"

namespace {

const char* const kSection = "delvor";
constexpr int kScorePlacement = 0;
constexpr int kScoreColorMatch = 1;
constexpr int kScoreFoodGiven = 5;
constexpr int kScoreTwoItems = 9;
constexpr int kTutorialCure = 17;
// A partner this close to its own need asks together with the worker.
constexpr int kForcedNeedMs = 10;

bool IsOneOf(int value, std::initializer_list<int> codes) {
    for (int code : codes)
        if (value == code)
            return true;
    return false;
}

int Constant(const char* key) { return ZQ2::BasicProperties::GetInteger(key); }


}  // namespace

const ZQ2::RTTI* const DelvorWorker::rttis[] = {&DelvorCharacter::rtti, nullptr};
const ZQ2::RTTI DelvorWorker::rtti("DelvorWorker", DelvorWorker::rttis);
ZQ2::ObjectInitializer DelvorWorker::m_ObjectInitializer("DelvorWorker", &DelvorWorker::OnData);

DelvorWorker::DelvorWorker(float x, float y, ZQ2::Image* image, ZQ2::BaseObject* target,
                           ZQ2::iGuiMethod::Method callback)
    : DelvorCharacter(x, y, image) {
    SetTargetAndMethod(target, callback);
}

DelvorWorker::DelvorWorker(ZQ2::AbstractProperty* node) : DelvorCharacter(node) {}

DelvorWorker::~DelvorWorker() {
    EndHeld(m_pStroke);
    DoHypnoAnimation(false);
    EndHeld(m_pSpiral);
    EndHeld(m_pActivityModifier);
}

ZQ2::BaseObject* DelvorWorker::OnData(ZQ2::AbstractProperty* node) { return new DelvorWorker(node); }

// ---- small helpers

void DelvorWorker::PlayDelvorSound(const std::string& name) {
    auto* sound = ZQ2::DynamicCast<ZQ2::Sound>(ZQ2::ResourceLookup::GetResource(name, kSection));
    if (sound)
        sound->PlaySample(1.0f, 0.0f, 1.0f, false);
}

int DelvorWorker::CurrentUpgradeValue(int type) {
    DVUpgradeHandler* upgrades = DVUpgradeHandler::g_Instance;
    return upgrades ? upgrades->GetCurrentUpgradeValue(type) : 0;
}

bool DelvorWorker::IsMirrored() const { return IsFlipImageHorizontal(); }

void DelvorWorker::SetFlipFromHole() { SetFlipImageHorizontal(GetHole() && GetHole()->ShouldFlipWorker(this)); }

bool DelvorWorker::IsDragged() const {
    SceneGame* level = Level();
    return level && level->GetWorkerToDrag() == this;
}

ZQ2::ModifierContainer* DelvorWorker::NewRootContainer() {
    SceneGame* level = Level();
    if (!level || !level->GetAnimContainer())
        return nullptr;
    auto* container = new ZQ2::ModifierContainer(std::string(), true);
    ZQ2::AnimTree::LinkNodeUnder(level->GetAnimContainer(), container);
    return container;
}

void DelvorWorker::StartStroke(int frameMs, ZQ2::iGuiMethod::Method half, ZQ2::iGuiMethod::Method finished) {
    ZQ2::ModifierContainer* stroke = NewRootContainer();
    m_pStroke = stroke;
    if (!stroke)
        return;
    stroke->AddRef();
    ZQ2::Modifier* down =
        ZQ2::AnimTree::LinkNodeUnder(stroke, new ZQ2::ModifierFrame(frameMs, 1, ZQ2::FRAME_FORWARD), this);
    ZQ2::Modifier* middle = ZQ2::AnimTree::LinkNodeUnder(down, new ZQ2::ModifierFunction(this, half, std::string()));
    ZQ2::Modifier* up =
        ZQ2::AnimTree::LinkNodeUnder(middle, new ZQ2::ModifierFrame(frameMs, 1, ZQ2::FRAME_BACKWARD), this);
    ZQ2::AnimTree::LinkNodeUnder(up, new ZQ2::ModifierFunction(this, finished, std::string()));
}

void DelvorWorker::ClearStrokeOrRoutine() {
    if (m_pStroke)
        EndHeld(m_pStroke);
    else
        DelvorWorker::ClearCurrentRoutine();
    DoHypnoAnimation(false);
}

bool DelvorWorker::SendHomeAtWhistle() {
    SceneGame* level = Level();
    if (!level || !level->ShouldSendDiggerHome(GetHole()))
        return false;
    GetHole()->SendDiggersHome();
    return true;
}

bool DelvorWorker::StrokeInterrupted() {
    if (SendHomeAtWhistle())
        return true;
    if (!HasPersonalNeed())
        return false;
    SetupHungerState();
    return true;
}

void DelvorWorker::StandAfterStroke(DelvorHole* hole, bool adjustPosition, bool layerDone) {
    SceneGame* level = Level();
    SetFlipImageHorizontal(hole && hole->ShouldFlipWorker(this));
    if (!IsHungryOrThirsty()) {
        SetActivity(ACTIVITY_STOPPED);
        if (hole && hole->IsCurrentHoleLayerAnArtifact())
            hole->SendOtherWorkerHomeIfHungry(this);
    }
    if (adjustPosition)
        AdjustCharacterPosition(0.0f, 0.0f);
    RemoveAllAnimTreeModifiers();
    SetupRequestBalloon();
    if (level)
        level->DoIntroTutorialAction(nullptr);
    if (hole && layerDone && !HasPersonalNeed()) {
        if (level)
            level->MoveWorkerToWaitingArea(this);
        hole->RemoveWorker(this);
    }
    if (hole)
        hole->DisplayHole();
    SendHomeIfDayOver();
}

void DelvorWorker::ShowStrip(const char* const* formats, int count, int number, int code) {
    const int index = code < 0 ? -code : code;
    if (index < count && formats[index][0] != '\0') {
        char name[96];
        std::snprintf(name, sizeof name, formats[index], number);
        SetImage(ZQ2::ResourceLookup::GetImage(name, kSection, nullptr));
        SetCurrentFrame(0);
        SetFlipImageHorizontal(code < 0);
    }
    DelvorCharacter::SetCharacterImage(code);
}

int DelvorWorker::RestoreImageCode(int workingActivity) const {
    int code = IMAGE_RESTORE;
    if (m_iRequest != REQUEST_NONE || m_iActivity == ACTIVITY_ASKING)
        code = IMAGE_STANDING;
    else if (m_iActivity == ACTIVITY_DIGGING || m_iActivity == workingActivity)
        code = 9;
    else if (m_iActivity == 5)
        code = IMAGE_ACTIVITY;
    else if (m_iActivity == ACTIVITY_EATING)
        code = IMAGE_EATING;
    else if (m_iActivity == ACTIVITY_DRINKING)
        code = IMAGE_DRINKING;
    else if (m_iActivity == ACTIVITY_DIZZY)
        code = IMAGE_DIZZY;
    else if (m_iActivity == ACTIVITY_HYPNOTIZED)
        code = IMAGE_HYPNOTIZED;
    return GetHole() && GetHole()->ShouldFlipWorker(const_cast<DelvorWorker*>(this)) ? -code : code;
}

void DelvorWorker::SetHole(DelvorHole* hole) { SetCurrentHole(hole); }

DelvorHole* DelvorWorker::GetHole() const { return ZQ2::DynamicCast<DelvorHole>(GetCurrentHole()); }

void DelvorWorker::Cleanup() {
    if (GetHole())
        GetHole()->CleanupWorker(this);
}

// ---- activity

void DelvorWorker::SetActivity(int activity) {
    const int previous = m_iActivity;
    m_iActivity = activity;
    SceneGame* level = Level();
    const bool restful = IsOneOf(activity, {ACTIVITY_FREE, ACTIVITY_ASKING, ACTIVITY_PANICKING, 13});
    if (!level || level->GetGameState() != SceneGame::STATE_RUNNING || !restful) {
        ClearIdleModifier();
        return;
    }
    ResetMood();
    ClearCurrentRoutine();
    EndActivityRoutine();
    StartIdleRoutine();
    if (activity == ACTIVITY_PANICKING && (previous == ACTIVITY_EATING || previous == ACTIVITY_DRINKING))
        SetupHungerThirst(GetGender(), nullptr);
}

ZQ2::Modifier* DelvorWorker::CreateActivityModifer() {
    EndActivityRoutine();
    m_pActivityModifier = NewRootContainer();
    if (m_pActivityModifier)
        m_pActivityModifier->AddRef();
    return m_pActivityModifier;
}

void DelvorWorker::EndActivityRoutine() { ClearActivityModifer(); }

void DelvorWorker::ClearActivityModifer() { EndHeld(m_pActivityModifier); }

void DelvorWorker::DoActivityAnimation(bool on) {
    EndActivityRoutine();
    if (!on) {
        SetCharacterImage(IMAGE_RESTORE);
        return;
    }
    const bool flip = GetHole() && GetHole()->ShouldFlipWorker(this);
    SetCharacterImage(flip ? -IMAGE_ACTIVITY : IMAGE_ACTIVITY);
    if (ZQ2::Modifier* container = CreateActivityModifer())
        ZQ2::AnimTree::LinkNodeUnder(
            container, new ZQ2::ModifierFrame(m_iActivityFrameMs, -1, ZQ2::FRAME_SWITCH), this);
}

// ---- request balloon and requests

void DelvorWorker::SetupRequestBalloon() {
    if (GetHole())
        GetHole()->SetupRequestBalloon();
}

void DelvorWorker::ShowRequestBalloon(bool show) {
    if (GetHole())
        GetHole()->ShowRequestBalloon(show);
}

bool DelvorWorker::ShouldShowReqBalloon() const {
    SceneGame* level = Level();
    if (level && level->IsVuvivedodAtHole(GetHole()))
        return false;
    return IsOneOf(m_iActivity, {ACTIVITY_FREE, ACTIVITY_DIGGING, ACTIVITY_ASKING, ACTIVITY_DIZZY, ACTIVITY_HYPNOTIZED});
}

void DelvorWorker::ClearRequests() {
    m_iRequest = REQUEST_NONE;
    m_iSubRequest = SUB_NONE;
    ShowRequestBalloon(false);
    SetCharacterImage(IMAGE_NEUTRAL);
}

bool DelvorWorker::DoesWorkerNeedItem(ClickObject* item) const {
    return item && item->MatchesRequest(GetRequest(), m_iSubRequest);
}

// ---- needs

void DelvorWorker::ForceHungerThirst(int time, bool food) {
    m_iNeedTimer = time;
    m_bNextNeedFood = food;
    m_iForcedRequest = food ? REQUEST_FOOD : REQUEST_WATER;
    m_iForcedSubRequest = food ? SUB_APPLE : SUB_CANTEEN;
}

void DelvorWorker::PadHungerAfterPlacement() {
    const int least = Constant("WORKER_MIN_HUNGER_AFTER_PLACEMENT");
    if (least <= m_iNeedTimer)
        return;
    m_iNeedTimer = least;
    m_iRequest = REQUEST_NONE;
}

void DelvorWorker::ArmNeedTimer(const NeedKeys& keys, ZQ2::BaseObject* levelObject) {
    auto* level = ZQ2::DynamicCast<SceneGame>(levelObject);
    if (!level)
        level = Level();
    if (m_fHungerChance < 0.0f || m_fHungerChance > 1.0f)
        m_fHungerChance = level ? level->GetVariables().fHungerChance : 0.5f;
    ZQ2::Random* random = ZQ2::Random::Instance();
    m_bNextNeedFood = m_fHungerChance > random->NextFloat();
    m_fHungerChance += m_bNextNeedFood ? -0.2f : 0.2f;
    const int base = Constant(m_bNextNeedFood ? keys.pHungerBase : keys.pThirstBase);
    const int range = Constant(m_bNextNeedFood ? keys.pHungerRange : keys.pThirstRange);
    // A range of 1 or less leaves nothing to draw from: its minimum stands.
    const int drawn = range > 1 ? random->GetInt(1, range) : 1;
    const int upgrade = CurrentUpgradeValue(m_bNextNeedFood ? 11 : 12);
    int variation = 0;
    if (level)
        variation = m_bNextNeedFood ? level->GetVariables().iHungerVariation : level->GetVariables().iThirstVariation;
    m_iNeedTimer = base + upgrade + drawn + variation;
}

bool DelvorWorker::ShouldWorkUpHunger() const {
    if (IsOneOf(m_iActivity, {ACTIVITY_WALKING_TO_HOLE, ACTIVITY_DIGGING, ACTIVITY_PICKING})) {
        SceneGame* level = Level();
        return level && level->IsGameRunning() && (!level->IsTimerExpired() || m_iRequest > 7);
    }
    if (m_iActivity == ACTIVITY_ASKING)
        return m_iRequest >= REQUEST_FOOD && GetHole();
    return false;
}

void DelvorWorker::Tick(int deltaMs) {
    if (ShouldWorkUpHunger()) {
        m_iNeedTimer -= deltaMs;
        if (m_iNeedTimer < 1) {
            SceneGame* level = Level();
            if (level && level->TutorialShouldPreventHunger(this)) {
                SetupHungerThirst(GetGender(), nullptr);
            } else {
                if (m_iRequest < REQUEST_FOOD) {
                    AskForNeed(m_iNeedTimer);
                } else {
                    SetActivity(ACTIVITY_DIZZY);
                    SetupHungerState();
                    if (level)
                        level->DoIntroTutorialAction(nullptr);
                }
                SetupRequestBalloon();
            }
        }
    }
    DelvorCharacter::Tick(deltaMs);
}

void DelvorWorker::AskForNeed(int remainder) {
    if (m_iForcedRequest != 0) {
        m_iRequest = m_iForcedRequest;
        m_iSubRequest = m_iForcedSubRequest;
        m_iForcedRequest = 0;
        m_iForcedSubRequest = 0;
    } else if (m_bNextNeedFood) {
        m_iRequest = REQUEST_FOOD;
        m_iSubRequest = ZQ2::Random::Instance()->GetInt(0, 2) == 1 ? SUB_APPLE : SUB_SANDWICH;
    } else {
        m_iRequest = REQUEST_WATER;
        m_iSubRequest = SUB_CANTEEN;
    }
    const int dizzyAfter = GetWorkerDizzySpeed();
    PlayDelvorSound("SOUND_DIGGER_ASK");
    MakeOtherWorkerHungryIfPossible();
    ResetMood();
    SetActivity(ACTIVITY_ASKING);
    AdjustCharacterPosition(0.0f, 0.0f);
    SetCharacterImage(IMAGE_STANDING);
    SetFlipFromHole();
    SceneGame* level = Level();
    m_iNeedTimer = dizzyAfter + remainder + (level ? level->GetVariables().iDizzyVariation : 0);
}

void DelvorWorker::MakeOtherWorkerHungryIfPossible() {
    if (!GetHole() || GetHole()->GetNumWorkers() == 1)
        return;
    DelvorWorker* other = GetHole()->GetOtherWorker(this);
    if (!other)
        return;
    if (other->m_iNeedTimer < Constant("DIGGER_MIN_FORCE_HUNGER_THRESHOLD") && other->ShouldWorkUpHunger() &&
        other->m_iRequest < REQUEST_FOOD)
        other->m_iNeedTimer = kForcedNeedMs;
}

void DelvorWorker::SetupHungerState() {
    if (!GetHole())
        return;
    if (m_iActivity == ACTIVITY_DIZZY) {
        Dizzy(IMAGE_DIZZY);
        return;
    }
    // A worker that arrives at a hole with its need still open goes on asking.
    if (m_iActivity == ACTIVITY_WALKING_TO_HOLE && IsHungryOrThirsty()) {
        SetActivity(ACTIVITY_ASKING);
        SetCharacterImage(IMAGE_STANDING);
        SetFlipFromHole();
    }
}

// ---- eating

void DelvorWorker::Eat() {
    RemoveAllAnimTreeModifiers();
    ClearCurrentRoutine();
    AdjustCharacterPosition(0.0f, 0.0f);
    SceneGame* level = Level();
    if (level)
        level->AddPointsByType(kScoreFoodGiven, m_iActivity == ACTIVITY_DIZZY, this);
    const int need = m_iActivity == ACTIVITY_HYPNOTIZED ? REQUEST_MEDICINE : m_iRequest;
    const bool food = need == REQUEST_FOOD;
    SetCharacterImage(Mirrored(food ? IMAGE_EATING : IMAGE_DRINKING));
    SetActivity(food ? ACTIVITY_EATING : ACTIVITY_DRINKING);
    PlayDelvorSound("SOUND_DIGGER_FED");
    if (ZQ2::Modifier* container = CreateActivityModifer()) {
        ZQ2::Modifier* frames = ZQ2::AnimTree::LinkNodeUnder(
            container, new ZQ2::ModifierFrame(m_iEatFrameMs, 2 * m_iEatLoops, ZQ2::FRAME_SWITCH), this);
        ZQ2::AnimTree::LinkNodeUnder(frames,
                                     new ZQ2::ModifierFunction(this, &DelvorWorker::DoEatFinished, std::string()));
    }
    if (level)
        level->DoIntroTutorialAction(nullptr);
    if (GetHole()) {
        AdjustCharacterPosition(0.0f, 0.0f);
        DelvorWorker* other = GetHole()->GetOtherWorker(this);
        if (other && other->GetActivity() == 13)
            other->SetActivity(ACTIVITY_STOPPED);
    }
    m_iRequest = REQUEST_NONE;
    m_iSubRequest = SUB_NONE;
}

void DelvorWorker::DoEatFinished(ZQ2::BaseObject* target, ZQ2::BaseObject*) {
    if (auto* worker = ZQ2::DynamicCast<DelvorWorker>(target))
        worker->OnEatFinished();
}

void DelvorWorker::OnEatFinished() {
    SetupHungerThirst(GetGender(), nullptr);
    EndActivityRoutine();
    SceneGame* level = Level();
    if (level && level->GetGameState() >= SceneGame::STATE_TIME_UP && GetState() == STATE_WALKING)
        return;
    if (SendHomeIfDayOver())
        return;
    if (!GetHole()) {
        SetCharacterImage(IMAGE_STANDING);
        return;
    }
    AdjustCharacterPosition(0.0f, 0.0f);
    Work(CanWorkOnHole());
}

// ---- dizziness and hypnosis

void DelvorWorker::Dizzy(int imageCode) {
    RemoveAllAnimTreeModifiers();
    SetCharacterImage(Mirrored(imageCode));
    if (GetHole())
        AdjustCharacterPosition(0.0f, 0.0f);
    const int frameMs = imageCode == IMAGE_HYPNOTIZED ? m_iHypnoFrameMs : m_iDizzyFrameMs;
    if (ZQ2::ModifierContainer* container = NewRootContainer())
        ZQ2::AnimTree::LinkNodeUnder(
            container, new ZQ2::ModifierFrame(frameMs, ZQ2::ModifierFrame::LOOP_ENDLESS, ZQ2::FRAME_FORWARD), this);
}

bool DelvorWorker::CanBeHypnotized() const {
    return GetHole() && !IsOneOf(m_iActivity, {ACTIVITY_DIZZY, ACTIVITY_HYPNOTIZED, ACTIVITY_CELEBRATING, 12}) &&
           m_iActivity < ACTIVITY_SENT_HOME;
}

void DelvorWorker::Hypnotize() {
    EndActivityRoutine();
    ClearCurrentRoutine();
    SetActivity(ACTIVITY_HYPNOTIZED);
    PlayDelvorSound("SOUND_DIGGER_ASK");
    if (GetHole()) {
        GetHole()->CheckIfVuvivedodStopsWork();
        GetHole()->SetupRequestBalloon();
    }
    ShowHypnoSpiral(true);
    Dizzy(IMAGE_HYPNOTIZED);
}

void DelvorWorker::ShowHypnoSpiral(bool show) {
    if (show) {
        if (!m_pSpiral) {
            m_pSpiral = new ZQ2::Sprite(0.0f, 0.0f, ZQ2::ResourceLookup::GetImage("VUVIVEDOD_HYPNO_SPIRAL", kSection, nullptr));
            m_pSpiral->AddRef();
            if (GetParent())
                ZQ2::GameTree::LinkNodeBefore(this, m_pSpiral);
        }
        m_pSpiral->SetVisible(true);
        m_pSpiral->SetLocation(GetX(), GetY() - GetHeight());
    } else if (m_pSpiral) {
        m_pSpiral->SetVisible(false);
    }
    DoHypnoAnimation(show);
}

void DelvorWorker::DoHypnoAnimation(bool on) {
    EndHeld(m_pHypnoModifier);
    if (!on || !m_pSpiral)
        return;
    m_pHypnoModifier = NewRootContainer();
    if (!m_pHypnoModifier)
        return;
    m_pHypnoModifier->AddRef();
    ZQ2::AnimTree::LinkNodeUnder(m_pHypnoModifier,
                                 new ZQ2::ModifierFrame(Constant("VUVIVEDOD_HYPNO_SPIRAL_FRAMESPEED"),
                                                        ZQ2::ModifierFrame::LOOP_ENDLESS, ZQ2::FRAME_FORWARD),
                                 m_pSpiral);
}

void DelvorWorker::Unhypnotize() {
    const bool affected = m_iActivity == ACTIVITY_DIZZY || m_iActivity == ACTIVITY_HYPNOTIZED;
    int pending = m_iSubRequest;
    if (affected && GetHole() && GetHole()->IsCurrentHoleLayerAnArtifact())
        pending = SUB_NONE;
    SceneGame* level = Level();
    if (level && affected) {
        level->DoContextTutorialAction(kTutorialCure, this);
        if (level->GetDovidiTwoItems() == 1)
            level->AddPointsByType(kScoreTwoItems, false, this);
    }
    if (pending == SUB_CANTEEN) {
        m_iRequest = REQUEST_WATER;
        SetActivity(ACTIVITY_ASKING);
    } else if (pending == SUB_APPLE || pending == SUB_SANDWICH) {
        m_iRequest = REQUEST_FOOD;
        SetActivity(ACTIVITY_ASKING);
    } else if (pending == SUB_NONE) {
        m_iRequest = REQUEST_NONE;
        SetActivity(ACTIVITY_FREE);
    }
    if (affected)
        PlayDelvorSound("SOUND_WORKER_UNHYPNOTIZE");
    ShowHypnoSpiral(false);
    EndActivityRoutine();
    if (SendHomeIfDayOver())
        return;
    if (!GetHole()) {
        SetCharacterImage(IMAGE_STANDING);
        return;
    }
    AdjustCharacterPosition(0.0f, 0.0f);
    Work(CanWorkOnHole() && m_iActivity != ACTIVITY_HYPNOTIZED && m_iRequest == REQUEST_NONE);
}

// ---- moods and idle pictures

bool DelvorWorker::IsImpatient() const {
    SceneGame* level = Level();
    return level && level->GetElapsedTime(m_iMoodTimestamp) > level->GetImpatienceTime();
}

void DelvorWorker::ResetMood() {
    SceneGame* level = Level();
    m_iMoodTimestamp = level ? level->GetCurrentTimestamp() : 0;
}

void DelvorWorker::SetIdleImage(bool idle) {
    SceneGame* level = Level();
    int code = IMAGE_STANDING;
    if (!IsInHomeArea()) {
        if (idle)
            code = IsPanicked() ? IMAGE_PANICKING : (IsImpatient() ? IMAGE_IMPATIENT : IMAGE_STANDING);
    } else if (!idle || !level || !level->IsHoleThatNeedsWorker(this) || !level->IsGameRunning()) {
        code = IMAGE_NEUTRAL;
    } else {
        code = IsImpatient() ? IMAGE_IMPATIENT : IMAGE_STANDING;
    }
    SetCharacterImage(code);
    SetFlipFromHole();
}

void DelvorWorker::GetIdleTime(int& min, int& max) const {
    if (!IsPanicked()) {
        ClickObject::GetIdleTime(min, max);
        return;
    }
    min = Constant("TIME_PANIC_ANIMATION_MIN");
    max = Constant("TIME_PANIC_ANIMATION_MAX");
}

// ---- walking, the waiting area and going home

void DelvorWorker::Walk(DVNode* route, ClickObject* target) {
    if (auto* hole = ZQ2::DynamicCast<DelvorHole>(target)) {
        if (GetHole() && GetHole() != hole)
            GetHole()->RemoveWorker(this);
        if (GetHole() != hole)
            hole->AddWorker(this);
        ClearWaitAreaIndex();
        SetActivity(ACTIVITY_WALKING_TO_HOLE);
        SetupRequestBalloon();
        m_bPlacedImpatient = IsImpatient();
        if (SceneGame* level = Level())
            level->GetClickHandler().ClearOperator(this);
    }
    DelvorCharacter::Walk(route, target);
    ShowShovel();
}

bool DelvorWorker::DoWalkFinished() {
    SetState(STATE_ELSEWHERE);
    ClearCurrentRoutine();
    SetFootPoint(GetX(), GetY());
    SceneGame* level = Level();
    const bool previouslyAway = m_bAway;
    m_bAway = !IsCharacterInWaitingArea();
    if (m_bAway && level)
        level->DoIntroTutorialAction(this);
    if (level && level->ShouldSendDiggerHome(GetHole())) {
        if (!IsCharacterInWaitingArea())
            GetHole()->SendDiggersHome();
        return true;
    }
    const bool home = IsInHomeArea();
    SetCharacterImage(home ? IMAGE_NEUTRAL : IMAGE_STANDING);
    ResetMood();
    if (home)
        SetHomePositionZOrder();
    ShowShovel();
    if (level && level->GetGameState() == SceneGame::STATE_WORKERS_WALK_IN) {
        level->DoWorkerWalkFinished();
        return true;
    }
    if (m_iActivity == ACTIVITY_SENT_HOME) {
        TakeABreak();
        return true;
    }
    if (SendHomeIfDayOver())
        return true;
    if (HasPersonalNeed()) {
        SetupHungerState();
        return true;
    }
    SetActivity(ACTIVITY_FREE);
    if (!GetHole()) {
        SetCharacterImage(IMAGE_NEUTRAL);
        return true;
    }
    if (!previouslyAway && level) {
        level->AddPointsByType(kScorePlacement, m_bPlacedImpatient, this);
        if (IsColorMatch())
            level->AddPointsByType(kScoreColorMatch, false, GetHole());
    }
    m_bPlacedImpatient = false;
    const bool timeLeft = level && (!level->IsTimerExpired() || level->GetGameState() == SceneGame::STATE_TIME_UP);
    ZQ2::SmartPtr<DelvorHole> hole(GetHole());
    Work(CanWorkOnHole() && timeLeft);
    hole->DisplayHole();
    return true;
}

bool DelvorWorker::SendHomeIfDayOver() {
    SceneGame* level = Level();
    if (!level || level->GetGameState() < SceneGame::STATE_TIME_UP || GetState() == STATE_WALKING)
        return false;
    if (IsCharacterInWaitingArea())
        return false;
    if (GetHole())
        GetHole()->SendDiggersHome();
    else
        level->SendDiggerHome(this);
    return true;
}

void DelvorWorker::TakeABreak() {
    RemoveAllAnimTreeModifiers();
    ClearCurrentRoutine();
    ZQ2::ModifierContainer* container = NewRootContainer();
    if (!container)
        return;
    ZQ2::Modifier* delay =
        ZQ2::AnimTree::LinkNodeUnder(container, new ZQ2::ModifierDelay(Constant("TIME_DIGGER_WORK_BREAK")), this);
    ZQ2::AnimTree::LinkNodeUnder(delay,
                                 new ZQ2::ModifierFunction(this, &DelvorWorker::DoBreakFinished, std::string()));
}

void DelvorWorker::DoBreakFinished(ZQ2::BaseObject* target, ZQ2::BaseObject*) {
    if (auto* worker = ZQ2::DynamicCast<DelvorWorker>(target))
        worker->OnBreakFinished();
}

void DelvorWorker::OnBreakFinished() {
    SetActivity(ACTIVITY_BREAK_OVER);
    if (SceneGame* level = Level())
        level->MoveWorkerToWaitingArea(this);
}

bool DelvorWorker::IsCharacterInWaitingArea() const {
    SceneGame* level = Level();
    if (!level)
        return false;
    int x = 0;
    int y = 0;
    int width = 0;
    level->GetWaitArea(x, y, width);
    const float left = static_cast<float>(x);
    return left <= GetX() && GetX() <= left + static_cast<float>(width) &&
           GetY() - GetHeight() == static_cast<float>(GetWaitAreaY());
}

bool DelvorWorker::IsCharacterInHoldingArea() const {
    SceneGame* level = Level();
    if (!level)
        return false;
    const float right = static_cast<float>(Constant("DIGGER_HOLDAREA_X"));
    const float left = right - static_cast<float>(level->GetNumWorkers(0) * Constant("DIGGER_WAITAREA_DELTA_X"));
    return left <= GetX() && GetX() <= right && GetY() - GetHeight() == static_cast<float>(GetWaitAreaY());
}

void DelvorWorker::SnapWorkerBackToWaitArea() {
    SceneGame* level = Level();
    if (!level || m_iWaitAreaIndex < 0)
        return;
    int x = 0;
    int y = 0;
    level->GetWaitAreaCoordinates(m_iWaitAreaIndex, x, y);
    y = GetWaitAreaY();
    const float footY = std::floor(static_cast<float>(y) + GetHeight());
    SetLocation(static_cast<float>(x), footY);
    SetFootPoint(static_cast<float>(x), footY);
    SetState(3);
    AdjustZOrder();
    RelocateShadow(static_cast<float>(x), footY);
    SetState(STATE_HOME);
}

void DelvorWorker::ClearWaitAreaIndex() {
    if (m_iWaitAreaIndex < 0)
        return;
    if (SceneGame* level = Level())
        level->FreeDiggerFromWaitArea(m_iWaitAreaIndex, GetFreeSpotCharacter());
    m_iWaitAreaIndex = -1;
}

void DelvorWorker::SetHomePositionZOrder() {
    ZQ2::GameNode* parent = GetParent();
    ZQ2::GameNode* front = parent ? parent->GetChild("BG_FRONT", false) : nullptr;
    if (!front)
        return;
    ZQ2::GameNode* before = nullptr;
    for (ZQ2::GameNode* node = front->GetNextSibling(); node; node = node->GetNextSibling()) {
        if (node == this)
            continue;
        auto* worker = ZQ2::DynamicCast<DelvorWorker>(node);
        if ((worker && worker->GetX() > GetX()) || node->GetName() == "TABLE_VURU") {
            before = node;
            break;
        }
    }
    if (before)
        ZQ2::GameTree::LinkNodeBefore(before, this);
    else
        ZQ2::GameTree::LinkNodeUnder(parent, this);
    RelocateShadow(GetX(), GetY());
}

void DelvorWorker::SetupCharacter(const std::string& image, float x, float y, int walkSpeed) {
    SetImage(ZQ2::ResourceLookup::GetImage(image, kSection, nullptr));
    SetAnchorPoint(ZQ2::ANCHOR_BOTTOMLEFT);
    SetLocation(x, y + GetHeight());
    SetWalkSpeed(walkSpeed);
    SetFootPoint(GetX(), GetY());
}

// ---- input

bool DelvorWorker::HasRolloverHighlight() const {
    ZQ2::SceneManager* scenes = ZQ2::SceneManager::g_Instance;
    ZQ2::Scene* scene = scenes ? scenes->GetCurrentScene() : nullptr;
    return scene && scene->GetName().rfind("LEVEL", 0) == 0 && !IsDragged();
}

void DelvorWorker::GetActionDirection(int& dx, int& dy) {
    dx = GetHole() ? 0 : 1;
    dy = GetHole() ? -1 : 0;
}

bool DelvorWorker::OnMouseLeftDown(const ZQ2::MouseMessageData& m) {
    SceneGame* level = Level();
    if (!level || level->IsGamePaused() || !IsInHomePosition() || level->GetGameState() > SceneGame::STATE_RUNNING)
        return false;
    ClickObject* villain = level->GetVuvivedod();
    if (villain && villain->Sprite::IsInside(m.GetX(), m.GetY()))
        return false;
    if (!Sprite::IsInside(m.GetX(), m.GetY()))
        return false;
    level->SetWorkerToDrag(this);
    return true;
}

bool DelvorWorker::OnMouseLeftUp(const ZQ2::MouseMessageData& m) {
    if (!Level() || IsDragged())
        return false;
    return ClickObject::OnMouseLeftUp(m);
}
