#include "source/game/ClickObject.h"

#include <algorithm>

#include "engine/core/Random.h"
#include "engine/graphics/Image.h"
#include "engine/io/BasicProperties.h"
#include "engine/io/ObjectInitializer.h"
#include "engine/modifier/ModifierContainer.h"
#include "engine/modifier/ModifierDelay.h"
#include "engine/modifier/ModifierFrame.h"
#include "engine/modifier/ModifierFunction.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/InputHandler.h"
#include "source/game/DelvorCharacter.h"
#include "source/game/DelvorWorker.h"
#include "source/scenes/SceneGame.h"

const ZQ2::RTTI* const ClickObject::rttis[] = {&ZQ2::Sprite::rtti, &ZQ2::iInputListener::rtti, &ZQ2::iGuiMethod::rtti,
                                               &ZQ2::iHitMask::rtti, nullptr};
const ZQ2::RTTI ClickObject::rtti("ClickObject", ClickObject::rttis);
ZQ2::ObjectInitializer ClickObject::m_ObjectInitializer("ClickObject", &ClickObject::OnData);

ClickObject::ClickObject(float x, float y, ZQ2::Image* image, ZQ2::BaseObject* target,
                         ZQ2::iGuiMethod::Method callback)
    : ZQ2::Sprite(x, y, nullptr), ZQ2::iHitMask(nullptr) {
    SetTargetAndMethod(target, callback);
    SetImage(image);
    SetHitMaskThreshold(HIT_ALPHA_THRESHOLD);
}

ClickObject::ClickObject(ZQ2::AbstractProperty* node) : ZQ2::Sprite(node), ZQ2::iHitMask(node) {
    SetHitMaskThreshold(HIT_ALPHA_THRESHOLD);
}

ClickObject::~ClickObject() { ClearIdleModifier(); }

ZQ2::BaseObject* ClickObject::OnData(ZQ2::AbstractProperty* node) { return new ClickObject(node); }

void* ClickObject::QueryInterface(const ZQ2::RTTI& which) {
    if (&which == &ZQ2::iInputListener::rtti)
        return static_cast<ZQ2::iInputListener*>(this);
    if (&which == &ZQ2::iGuiMethod::rtti)
        return static_cast<ZQ2::iGuiMethod*>(this);
    return ZQ2::Sprite::QueryInterface(which);
}

void ClickObject::SetImage(ZQ2::Image* image) {
    if (image != GetImage())
        ZQ2::Sprite::SetImage(image);
    if (HasRolloverHighlight())
        SetHitMask(nullptr);
}

void ClickObject::Render(ZQ2::Graphics* graphics) {
    ZQ2::Sprite::Render(graphics);
    if (!HasRolloverHighlight() || !IsMouseOver())
        return;
    SceneGame* level = Level();
    if (!level || level->GetName().rfind("LEVEL", 0) != 0 || !level->IsGameRunning() ||
        !level->TutorialAllowsHighlight(this))
        return;
    const int color = GetColor();
    const ZQ2::eBlendMode blend = GetBlendMode();
    SetColor(HIGHLIGHT_COLOR);
    SetBlendMode(ZQ2::BLENDMODE_ADDITIVE);
    ZQ2::Sprite::Render(graphics);
    SetColor(color);
    SetBlendMode(blend);
}

ZQ2::ImageFrame* ClickObject::GetHitMaskFrame() { return GetImage() ? GetImage()->GetFrame() : nullptr; }

// The level is set up while the transition into it is still running.
SceneGame* ClickObject::Level() { return SceneGame::GetCurrentLevel(); }

bool ClickObject::IsOnMask(float x, float y) { return IsInsideMask(ToLocal(x, y)); }

bool ClickObject::IsMouseOver() {
    ZQ2::InputHandler* input = ZQ2::InputHandler::g_Instance;
    if (!input)
        return false;
    const float x = input->GetMouseX();
    const float y = input->GetMouseY();
    return Sprite::IsInside(x, y) && IsOnMask(x, y);
}

bool ClickObject::OnMouseLeftDown(const ZQ2::MouseMessageData& m) {
    SceneGame* level = Level();
    if (!level || level->IsGamePaused())
        return false;
    return Sprite::IsInside(m.GetX(), m.GetY()) && IsOnMask(m.GetX(), m.GetY());
}

bool ClickObject::OnMouseLeftUp(const ZQ2::MouseMessageData& m) {
    SceneGame* level = Level();
    if (!level || level->IsGamePaused() || !Sprite::IsInside(m.GetX(), m.GetY()))
        return false;
    DVClickHandler& router = level->GetClickHandler();
    // The villain standing in front takes the click; an item under him gets it too.
    ClickObject* villain = level->GetVuvivedod();
    if (villain && villain != this && villain->Sprite::IsInside(m.GetX(), m.GetY())) {
        const bool taken = router.ProcessClick(villain);
        if (!IsItem())
            return taken;
    }
    return router.ProcessClick(this);
}

bool ClickObject::OnMouseMoved(const ZQ2::MouseMessageData& m) {
    SceneGame* level = Level();
    if (!level)
        return false;
    DelvorWorker* dragged = level->GetWorkerToDrag();
    if (dragged && !level->IsGamePaused())
        dragged->SetLocation(m.GetX() - dragged->GetWidth() * 0.5f, m.GetY() + dragged->GetHeight() * 0.5f);
    if (!HasRollover() || !level->IsGameInProgress())
        return false;
    if (!Sprite::IsInside(m.GetX(), m.GetY())) {
        SetHighlightState(false);
        return false;
    }
    level->IsOverClickObject(true);
    SetHighlightState(true);
    if (IsItem())
        level->ClearTableHighlights(this);
    return true;
}

// ---- the idle cycle

int ClickObject::DrawIdleDelay(int min, int max) {
    if (max <= min)
        return min;
    return ZQ2::Random::Instance()->GetInt(min, max);
}

int ClickObject::DrawIdleLoops() const {
    int loops = 1;
    if (IsBlinkingOnIdle()) {
        const int most = ZQ2::BasicProperties::GetInteger("IDLE_IMPATIENT_NUM_LOOPS_MAX");
        if (most > 1)
            loops = ZQ2::Random::Instance()->GetInt(1, most + 1);
    }
    return GetIdleRoutineDirection() == ZQ2::FRAME_SWITCH ? loops * 2 : loops;
}

int ClickObject::GetAdjustedIdleFrameSpeed() const { return ZQ2::BasicProperties::GetInteger("IDLE_FRAMESPEED"); }

void ClickObject::GetIdleTime(int& min, int& max) const {
    const bool blink = IsBlinkingOnIdle();
    min = ZQ2::BasicProperties::GetInteger(blink ? "TIME_BLINK_ANIMATION_MIN" : "TIME_IDLE_ANIMATION_MIN");
    max = ZQ2::BasicProperties::GetInteger(blink ? "TIME_BLINK_ANIMATION_MAX" : "TIME_IDLE_ANIMATION_MAX");
}

ZQ2::ModifierContainer* ClickObject::CreateIdleModifier() {
    ClearIdleModifier();
    SceneGame* level = Level();
    if (!level || !level->GetAnimContainer())
        return nullptr;
    // Held, so that an object outliving the level's animation tree, or the
    // other way round, never reaches a freed container.
    m_pIdleModifier = new ZQ2::ModifierContainer(std::string(), true);
    m_pIdleModifier->AddRef();
    ZQ2::AnimTree::LinkNodeUnder(level->GetAnimContainer(), m_pIdleModifier);
    return m_pIdleModifier;
}

void ClickObject::ClearIdleModifier() { EndHeld(m_pIdleModifier); }

void ClickObject::StartIdleRoutine() {
    int min = 0;
    int max = 0;
    GetIdleTime(min, max);
    // Without a wait between passes the cycle would restart itself within
    // one frame for ever: such an object simply has no idle cycle.
    if (std::max(min, max) <= 0) {
        ClearIdleModifier();
        return;
    }
    ZQ2::ModifierContainer* container = CreateIdleModifier();
    if (!container)
        return;
    ZQ2::Modifier* delay = ZQ2::AnimTree::LinkNodeUnder(container, new ZQ2::ModifierDelay(DrawIdleDelay(min, max)), this);
    ZQ2::AnimTree::LinkNodeUnder(delay, new ZQ2::ModifierFunction(this, &ClickObject::DoIdleAnimationStart, std::string()));
    const auto direction = static_cast<ZQ2::eFrameDirection>(GetIdleRoutineDirection());
    ZQ2::Modifier* frames = ZQ2::AnimTree::LinkNodeUnder(
        delay, new ZQ2::ModifierFrame(GetAdjustedIdleFrameSpeed(), DrawIdleLoops(), direction), this);
    ZQ2::AnimTree::LinkNodeUnder(frames, new ZQ2::ModifierFunction(this, &ClickObject::DoIdleAnimationEnd, std::string()));
}

void ClickObject::OnIdleAnimationStartEnd(bool start) {
    SetIdleImage(start);
    SetCurrentFrame(0);
    if (!start)
        StartIdleRoutine();
}

void ClickObject::DoIdleAnimationStart(ZQ2::BaseObject* target, ZQ2::BaseObject*) {
    if (auto* object = ZQ2::DynamicCast<ClickObject>(target))
        object->OnIdleAnimationStartEnd(true);
}

void ClickObject::DoIdleAnimationEnd(ZQ2::BaseObject* target, ZQ2::BaseObject*) {
    if (auto* object = ZQ2::DynamicCast<ClickObject>(target))
        object->OnIdleAnimationStartEnd(false);
}
