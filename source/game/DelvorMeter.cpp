#include "source/game/DelvorMeter.h"

#include <algorithm>
#include <cstdio>

#include "engine/core/Random.h"
#include "engine/io/BasicProperties.h"
#include "engine/modifier/ModifierContainer.h"
#include "engine/modifier/ModifierDelay.h"
#include "engine/modifier/ModifierFrame.h"
#include "engine/modifier/ModifierFunction.h"
#include "engine/modifier/ModifierScale.h"
#include "engine/modifier/ModifierVisible.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/ResourceLookup.h"
#include "source/game/DelvorDigger.h"
#include "source/game/DelvorHole.h"
#include "source/scenes/SceneGame.h"

namespace {

const char* const kSection = "delvor";
// Hole states: above this the hole asks for help or is being worked.
constexpr int kHoleStateSurvey = 100;
// The activity of a digger that digs.
constexpr int kActivityDigging = 2;
// Each digger's speed counts this many times in the running sum.
constexpr float kSpeedWeight = 16.0f;
// Sparkles wait for their artifact off the gauge.
constexpr float kSparkleParkX = -50.0f;

ZQ2::Image* DelvorImage(const std::string& name) { return ZQ2::ResourceLookup::GetImage(name, kSection, nullptr); }

float Constant(const char* name) { return static_cast<float>(ZQ2::BasicProperties::GetInteger(name)); }

bool IsArtifactLetter(char letter) { return letter == 'G' || letter == 'S' || letter == 'B'; }

ZQ2::ModifierContainer* NewContainerUnder(ZQ2::ModifierContainer* root) {
    auto* container = new ZQ2::ModifierContainer(std::string(), true);
    ZQ2::AnimTree::LinkNodeUnder(root, container);
    container->AddRef();
    return container;
}

}  // namespace

const ZQ2::RTTI* const DelvorMeter::rttis[] = {&ClickObject::rtti, nullptr};
const ZQ2::RTTI DelvorMeter::rtti("DelvorMeter", DelvorMeter::rttis);
ZQ2::ObjectInitializer DelvorMeter::m_ObjectInitializer("DelvorMeter", &DelvorMeter::OnData);

DelvorMeter::DelvorMeter(ZQ2::AbstractProperty* node)
    : ClickObject(node), m_iUpdateSlice(ZQ2::BasicProperties::GetInteger("TIME_SLICE_METER_UPDATE")) {}

DelvorMeter::DelvorMeter(float x, float y, ZQ2::Image* image, ZQ2::BaseObject* target,
                         ZQ2::iGuiMethod::Method callback)
    : ClickObject(x, y, image, target, callback),
      m_iUpdateSlice(ZQ2::BasicProperties::GetInteger("TIME_SLICE_METER_UPDATE")) {}

DelvorMeter::~DelvorMeter() {
    EndHeld(m_pArrowPulse);
    EndHeld(m_pSparkleModifier);
}

ZQ2::BaseObject* DelvorMeter::OnData(ZQ2::AbstractProperty* node) { return new DelvorMeter(node); }

void* DelvorMeter::QueryInterface(const ZQ2::RTTI& which) { return ClickObject::QueryInterface(which); }

ClickObject* DelvorMeter::GetParentHole() { return m_pHole; }

void DelvorMeter::SetHole(DelvorHole* hole) { m_pHole = hole; }

ZQ2::Sprite* DelvorMeter::AddSprite(const std::string& image, float x, float y, ZQ2::GameNode* before) {
    auto* sprite = new ZQ2::Sprite(x, y, DelvorImage(image));
    if (before && before->GetParent() == this)
        ZQ2::GameTree::LinkNodeBefore(before, sprite);
    else
        ZQ2::GameTree::LinkNodeUnder(this, sprite);
    return sprite;
}

void DelvorMeter::Retire(ZQ2::SmartPtr<ZQ2::Sprite>& sprite) {
    if (sprite)
        sprite->SetObsolete(true);
    sprite = nullptr;
}

void DelvorMeter::RetireIcons(std::vector<Icon>& icons, size_t keep) {
    for (size_t i = keep; i < icons.size(); ++i) {
        Retire(icons[i].spIcon);
        Retire(icons[i].spShadow);
    }
    if (icons.size() > keep)
        icons.resize(keep);
}

void DelvorMeter::Init(DelvorHole* hole) {
    SetHole(hole);
    for (ZQ2::SmartPtr<ZQ2::Sprite>& dirt : m_spDirt) {
        Retire(dirt);
        dirt = AddSprite("METER_DIRT", Constant("METER_DIRT_X"), Constant("METER_DIRT_Y"), nullptr);
    }
    Retire(m_spArrow);
    m_spArrow = AddSprite("METER_ARROW", Constant("METER_ARROW_ORIGIN_X"), Constant("METER_ARROW_ORIGIN_Y"), nullptr);
    m_spArrow->SetAnchorPoint(ZQ2::ANCHOR_CENTER);
    Show(IsVisible());
}

void DelvorMeter::Show(bool visible) {
    if (visible)
        SetupMeter();
    SetVisible(visible);
}

int DelvorMeter::CountDirtFrom(int index) const {
    int count = 0;
    while (m_pHole && m_pHole->GetHoleLayer(index + count) == 'D')
        ++count;
    return count;
}

void DelvorMeter::SetupMeter() {
    SetLocation(Constant("HOLE_METER_X"), Constant("HOLE_METER_Y"));
    if (!m_pHole)
        return;
    const int depth = m_pHole->GetCurrentDepth();
    LayOutDirt(CountDirtFrom(depth));
    std::string window;
    const int count = m_pHole->GetHoleContentsSnapshot(window, GAUGE_LAYERS, 0);
    LayOutIcons(window);
    LayOutExtraStars(depth + count - 1);
}

void DelvorMeter::LayOutDirt(int dirtRun) {
    const float height = Constant("METER_DIRT_HEIGHT");
    float left = 0.0f;
    if (dirtRun > 0)
        left = 1.0f - m_fProgress / static_cast<float>(QUARTERS_PER_LAYER * dirtRun);
    left = std::clamp(left, 0.0f, 1.0f);
    const float dug = height * (1.0f - left);
    if (ZQ2::Sprite* rest = m_spDirt[0].Get()) {
        rest->SetClipRect(0.0f, dug, rest->GetWidth(), height - dug);
        rest->SetVisible(left > 0.0f);
    }
    if (ZQ2::Sprite* done = m_spDirt[1].Get()) {
        done->SetClipRect(0.0f, 0.0f, done->GetWidth(), dug);
        done->SetAlpha(DUG_DIRT_ALPHA);
        done->SetVisible(dug > 0.0f);
    }
    if (m_spArrow)
        m_spArrow->SetLocation(Constant("METER_ARROW_ORIGIN_X"), Constant("METER_ARROW_ORIGIN_Y") + dug);
}

DelvorMeter::Icon& DelvorMeter::IconAt(std::vector<Icon>& icons, size_t index, const std::string& image,
                                       const std::string& shadow) {
    if (index >= icons.size())
        icons.resize(index + 1);
    Icon& icon = icons[index];
    if (!icon.spIcon) {
        icon.spShadow = AddSprite(shadow, 0.0f, 0.0f, m_spArrow.Get());
        icon.spIcon = AddSprite(image, 0.0f, 0.0f, m_spArrow.Get());
    }
    icon.spShadow->SetImage(DelvorImage(shadow));
    icon.spIcon->SetImage(DelvorImage(image));
    return icon;
}

void DelvorMeter::LayOutIcons(const std::string& window) {
    const float rockWidth = Constant("METER_ROCK_WIDTH");
    const float starWidth = Constant("METER_STAR_WIDTH");
    const float y = Constant("METER_DIRT_Y");
    float x = Constant("METER_DIRT_X") + (m_spDirt[0] ? m_spDirt[0]->GetWidth() : 0.0f);
    const int currentRock = m_pHole->GetCurrentRockIndex();
    size_t rocks = 0;
    size_t artifacts = 0;
    for (char layer : window) {
        if (layer == 'R') {
            const int index = currentRock + static_cast<int>(rocks);
            Icon& icon = IconAt(m_Rocks, rocks++, "METER_ROCK", "METER_SHADOW_ROCK");
            const int total = m_pHole->GetRockTotalToughness(index);
            const int remaining = index == currentRock ? m_pHole->GetCurrentRockToughness() : total;
            const float scale = total > 0 ? std::clamp(static_cast<float>(remaining) / total, 0.0f, 1.0f) : 1.0f;
            icon.spShadow->SetLocation(x, y);
            icon.spIcon->SetLocation(x, y);
            icon.spIcon->SetScale(scale);
            x += rockWidth;
        } else if (IsArtifactLetter(layer)) {
            ZQ2::Sprite* sprite = GetArtifact(static_cast<int>(artifacts));
            Icon& icon = m_Artifacts[artifacts++];
            SetArtifactImage(sprite, layer);
            icon.spShadow->SetImage(DelvorImage("METER_SHADOW_ARTIFACT_" + GetArtifactResNameFromType(layer)));
            icon.spShadow->SetLocation(x, y);
            sprite->SetLocation(x, y);
            x += starWidth;
        }
    }
    RetireIcons(m_Rocks, rocks);
    RetireIcons(m_Artifacts, artifacts);
}

void DelvorMeter::LayOutExtraStars(int windowEnd) {
    const float x0 = Constant("METER_EXTRA_STARS_ORIGIN_X");
    const float y0 = Constant("METER_EXTRA_STARS_ORIGIN_Y");
    const float dx = Constant("METER_EXTRA_STARS_DELTA_X");
    size_t stars = 0;
    char letter = 0;
    for (int i = m_pHole->GetNextArtifactIndex(windowEnd, letter); i >= 0;
         i = m_pHole->GetNextArtifactIndex(i, letter)) {
        const std::string image = "METER_ARTIFACT_" + GetArtifactResNameFromType(letter);
        Icon& icon = IconAt(m_ExtraStars, stars, image, "METER_SHADOW_ARTIFACT_BACK");
        const float x = x0 + dx * static_cast<float>(stars++);
        icon.spShadow->SetLocation(x, y0);
        icon.spIcon->SetLocation(x, y0);
    }
    RetireIcons(m_ExtraStars, stars);
}

ZQ2::Sprite* DelvorMeter::GetArtifact(int index) {
    if (index < 0)
        return nullptr;
    const size_t at = static_cast<size_t>(index);
    if (at < m_Artifacts.size() && m_Artifacts[at].spIcon)
        return m_Artifacts[at].spIcon.Get();
    return IconAt(m_Artifacts, at, "METER_ARTIFACT_BRONZE", "METER_SHADOW_ARTIFACT_BRONZE").spIcon.Get();
}

void DelvorMeter::SetArtifactImage(ZQ2::Sprite* sprite, char letter) {
    if (sprite)
        sprite->SetImage(DelvorImage("METER_ARTIFACT_" + GetArtifactResNameFromType(letter)));
}

std::string DelvorMeter::GetArtifactResNameFromType(char letter) {
    switch (letter) {
        case 'G':
            return "GOLD";
        case 'S':
            return "SILVER";
        case 'B':
            return "BRONZE";
        default:
            return std::string();
    }
}

ZQ2::Sprite* DelvorMeter::GetRockIcon(int i) const {
    return i >= 0 && i < GetRockIconCount() ? m_Rocks[static_cast<size_t>(i)].spIcon.Get() : nullptr;
}

// ---- the arrow's pulse

void DelvorMeter::PulseArrow(bool on) {
    if (!on) {
        EndHeld(m_pArrowPulse);
        if (m_spArrow)
            m_spArrow->SetScale(1.0f);
        return;
    }
    SceneGame* level = Level();
    if (m_pArrowPulse || !m_spArrow || !level || !level->GetAnimContainer())
        return;
    const int time = ZQ2::BasicProperties::GetInteger("TIME_METER_ARROW_PULSE");
    // A pulse of no length would end and restart within one frame forever.
    if (time <= 0)
        return;
    m_pArrowPulse = NewContainerUnder(level->GetAnimContainer());
    ZQ2::Modifier* grow =
        ZQ2::AnimTree::LinkNodeUnder(m_pArrowPulse, new ZQ2::ModifierScale(1.0f, 2.0f, time, false), m_spArrow.Get());
    ZQ2::Modifier* shrink =
        ZQ2::AnimTree::LinkNodeUnder(grow, new ZQ2::ModifierScale(2.0f, 1.0f, time, false), m_spArrow.Get());
    ZQ2::AnimTree::LinkNodeUnder(shrink, new ZQ2::ModifierFunction(this, &DelvorMeter::OnArrowPulseFinished, {}));
}

void DelvorMeter::DoArrowPulseFinished() {
    EndHeld(m_pArrowPulse);
    PulseArrow(true);
}

void DelvorMeter::OnArrowPulseFinished(ZQ2::BaseObject* target, ZQ2::BaseObject*) {
    if (auto* meter = ZQ2::DynamicCast<DelvorMeter>(target))
        meter->DoArrowPulseFinished();
}

// ---- the sparkles over the artifacts

void DelvorMeter::StartSparkles(bool on) {
    ClearSparkleModifier();
    HideSparkles();
    if (!on)
        return;
    CreateSparkles();
    SceneGame* level = Level();
    if (m_Artifacts.empty() || !level || !level->GetAnimContainer())
        return;
    ZQ2::Random* random = ZQ2::Random::Instance();
    const int delay = DrawIdleDelay(ZQ2::BasicProperties::GetInteger("TIME_HOLE_SPARKLE_DELAY_MIN"),
                                    ZQ2::BasicProperties::GetInteger("TIME_HOLE_SPARKLE_DELAY_MAX"));
    ZQ2::Sprite* icon = m_Artifacts[static_cast<size_t>(random->GetInt(0, GetArtifactIconCount()))].spIcon.Get();
    ZQ2::Sprite* sparkle = m_aspSparkles[random->GetInt(0, SPARKLES)].Get();
    if (!icon || !sparkle)
        return;
    sparkle->SetLocation(icon->GetX() + icon->GetWidth() * 0.5f, icon->GetY() + icon->GetHeight() * 0.5f);
    sparkle->SetCurrentFrame(0);
    m_pSparkleModifier = NewContainerUnder(level->GetAnimContainer());
    ZQ2::Modifier* wait = ZQ2::AnimTree::LinkNodeUnder(m_pSparkleModifier, new ZQ2::ModifierDelay(delay), sparkle);
    ZQ2::AnimTree::LinkNodeUnder(wait, new ZQ2::ModifierVisible(true), sparkle);
    ZQ2::Modifier* frames =
        ZQ2::AnimTree::LinkNodeUnder(wait, new ZQ2::ModifierFrame(SPARKLE_FRAME_MS, 1, ZQ2::FRAME_FORWARD), sparkle);
    ZQ2::AnimTree::LinkNodeUnder(frames, new ZQ2::ModifierFunction(this, &DelvorMeter::DoSparkleFinished, {}));
}

void DelvorMeter::CreateSparkles() {
    for (int i = 0; i < SPARKLES; ++i) {
        if (m_aspSparkles[i])
            continue;
        char name[32];
        std::snprintf(name, sizeof name, "METER_SPARKLE_%02d", i + 1);
        m_aspSparkles[i] = AddSprite(name, kSparkleParkX, 0.0f, nullptr);
        m_aspSparkles[i]->SetAnchorPoint(ZQ2::ANCHOR_CENTER);
        m_aspSparkles[i]->SetVisible(false);
    }
}

void DelvorMeter::HideSparkles() {
    for (ZQ2::SmartPtr<ZQ2::Sprite>& sparkle : m_aspSparkles)
        if (sparkle && sparkle->IsVisible())
            sparkle->SetVisible(false);
}

void DelvorMeter::InitSparkles() {
    for (ZQ2::SmartPtr<ZQ2::Sprite>& sparkle : m_aspSparkles)
        sparkle = nullptr;
}

void DelvorMeter::CleanupSparkles() {
    for (ZQ2::SmartPtr<ZQ2::Sprite>& sparkle : m_aspSparkles)
        Retire(sparkle);
}

void DelvorMeter::ClearSparkleModifier() { EndHeld(m_pSparkleModifier); }

void DelvorMeter::OnSparkleFinished() {
    HideSparkles();
    StartSparkles(true);
}

void DelvorMeter::DoSparkleFinished(ZQ2::BaseObject* target, ZQ2::BaseObject*) {
    if (auto* meter = ZQ2::DynamicCast<DelvorMeter>(target))
        meter->OnSparkleFinished();
}

// ---- digging

bool DelvorMeter::TutorialDoPhantomDig() {
    // The level keeps no tutorial steps yet, so no hole digs for show.
    return false;
}

bool DelvorMeter::CanDig() const {
    SceneGame* level = Level();
    if (!level || !level->IsGameRunning() || !m_pHole)
        return false;
    if (level->GetAnimContainer() && level->GetAnimContainer()->IsPaused())
        return false;
    return m_pHole->GetHoleState() > kHoleStateSurvey && m_pHole->IsCurrentHoleLayerDirt();
}

float DelvorMeter::DigIncrement() const {
    const float time = static_cast<float>(m_iAccumulated);
    float sum = 0.0f;
    float increment = 0.0f;
    for (int slot = 0; slot < DelvorHole::SLOT_COUNT; ++slot) {
        DelvorWorker* worker = m_pHole->GetWorkerAtHoleLocation(slot);
        if (!worker || worker->GetRTTI().GetName() != "DelvorDigger" || worker->GetActivity() != kActivityDigging)
            continue;
        sum += kSpeedWeight * static_cast<float>(static_cast<DelvorDigger*>(worker)->GetUpgradedDigSpeed());
        // A speed of 0 or below would divide by zero or dig backwards.
        if (sum > 0.0f)
            increment += QUARTERS_PER_LAYER * time / sum;
    }
    return increment;
}

void DelvorMeter::Tick(int deltaMs) {
    ClickObject::Tick(deltaMs);
    if (!CanDig() || TutorialDoPhantomDig())
        return;
    const int depth = m_pHole->GetCurrentDepth();
    if (m_pHole->GetHoleLayer(depth + GetRoundedDigProgress()) != 'D') {
        m_fProgress = 0.0f;
        m_pHole->AdvanceHolePastDirt();
        return;
    }
    m_iAccumulated += deltaMs;
    if (m_iAccumulated <= m_iUpdateSlice)
        return;
    const float increment = DigIncrement();
    if (increment > 0.0f) {
        // A long slice never carries the dig past the end of this dirt run.
        const float end = static_cast<float>(QUARTERS_PER_LAYER * CountDirtFrom(depth));
        m_fProgress = std::min(m_fProgress + increment, end);
        Show(true);
    }
    m_iAccumulated = 0;
}
