#include "source/game/DelvorClock.h"

#include <cmath>

#include "engine/io/ObjectInitializer.h"
#include "engine/scene/SceneManager.h"
#include "engine/sound/Sound.h"
#include "engine/sprite/ResourceLookup.h"
#include "source/scenes/SceneGame.h"

namespace {
const char* const kSection = "delvor";
const char* const kFrameName = "CLOCK_FRAME";
// How long the frame overlay stays up for one flash.
constexpr int kFlashShowMs = 600;
constexpr float kPi = 3.14159265358979f;

SceneGame* CurrentLevel() {
    ZQ2::SceneManager* scenes = ZQ2::SceneManager::g_Instance;
    return scenes ? ZQ2::DynamicCast<SceneGame>(scenes->GetCurrentScene()) : nullptr;
}
}  // namespace

const ZQ2::RTTI* const DelvorClock::rttis[] = {&ZQ2::Sprite::rtti, nullptr};
const ZQ2::RTTI DelvorClock::rtti("DelvorClock", DelvorClock::rttis);
ZQ2::ObjectInitializer DelvorClock::m_ObjectInitializer("DelvorClock", &DelvorClock::OnData);

DelvorClock::DelvorClock(ZQ2::AbstractProperty* data) : ZQ2::Sprite(data) { SetupPieces(); }

DelvorClock::~DelvorClock() = default;

ZQ2::BaseObject* DelvorClock::OnData(ZQ2::AbstractProperty* data) { return new DelvorClock(data); }

void DelvorClock::SetupPieces() {
    m_spHand = ZQ2::DynamicCast<ZQ2::Sprite>(GetFirstChild());
    m_spFrame = ZQ2::DynamicCast<ZQ2::Sprite>(GetChild(kFrameName, false));
    if (m_spFrame)
        m_spFrame->SetVisible(false);
}

void DelvorClock::InitTimer(int seconds) {
    m_iTotal = seconds * 1000;
    m_iFlashLimit = seconds * 1000;
    m_iElapsed = 0;
    m_fHandRotation = 0.0f;
    if (m_spHand)
        m_spHand->SetRotation(0.0f);
}

bool DelvorClock::IsTimeToStartFlash() const {
    if (m_iTotal == 0)
        return false;
    return (m_iTotal - m_iElapsed) / 1000 < m_iFlashLimit;
}

void DelvorClock::UseHourglass(int ms) {
    m_bHourglass = true;
    m_iHourglassLeft = ms;
    m_iHourglassTotal = ms;
}

void DelvorClock::SetState(int state) {
    if (state == m_iState)
        return;
    m_iState = state;
    SetCurrentFrame(state);
}

void DelvorClock::Tick(int deltaMs) {
    ZQ2::Sprite::Tick(deltaMs);
    if (m_bFlashing) {
        m_iFlashRemainingMs -= deltaMs;
        if (m_iFlashRemainingMs <= 0)
            DoFlashFinished();
    }
    SceneGame* level = CurrentLevel();
    if (!level)
        return;
    const bool running = level->IsGameRunning() && !level->IsTutorialActive();
    if (running && !level->IsTimerExpired() && !m_bHourglass)
        RunDayTime(deltaMs);
    else if (running && m_bHourglass && m_bSandShown && m_iHourglassLeft > 0)
        RunHourglass(deltaMs);
    if (IsTimeUsedUp())
        level->CheckForStageDone();
}

void DelvorClock::RunDayTime(int deltaMs) {
    // A day without a time limit has no clock to run.
    if (m_iTotal == 0)
        return;
    m_iElapsed += deltaMs;
    m_fHandRotation = static_cast<float>(m_iElapsed) / static_cast<float>(m_iTotal) * kPi;
    if (m_spHand)
        m_spHand->SetRotation(m_fHandRotation);
    const int remaining = m_iTotal - m_iElapsed;
    if (remaining > FLASH_WINDOW_MS || m_bFlashing || !IsTimeToStartFlash())
        return;
    // One flash for each whole second left.
    m_iFlashLimit = remaining / 1000;
    DoFlash(false);
}

void DelvorClock::RunHourglass(int deltaMs) {
    m_iHourglassLeft -= deltaMs;
    if (m_iHourglassLeft > 0)
        return;
    m_iHourglassLeft = 0;
    m_bSandShown = false;
    m_bHourglass = false;
    // The next hourglass may be turned now.
    if (SceneGame* level = CurrentLevel())
        level->ShowHourglass();
}

void DelvorClock::DoFlash(bool hourglass) {
    m_bFlashing = true;
    m_iFlashRemainingMs = kFlashShowMs;
    if (hourglass)
        m_bHourglass = true;
    PlaySound(hourglass ? "SOUND_HOURGLASS" : "SOUND_TIMER_TICK");
    if (!m_spFrame)
        return;
    ZQ2::Image* image =
        ZQ2::ResourceLookup::GetImage(hourglass ? "TIMER_FRAME_BLUE" : "TIMER_FRAME_RED", kSection, nullptr);
    if (image)
        m_spFrame->SetImage(image);
    m_spFrame->SetVisible(true);
}

void DelvorClock::DoFlashFinished() {
    m_bFlashing = false;
    m_iFlashRemainingMs = 0;
    if (m_spFrame)
        m_spFrame->SetVisible(false);
}

void DelvorClock::PlaySound(const char* name) const {
    auto* sound = ZQ2::DynamicCast<ZQ2::Sound>(ZQ2::ResourceLookup::GetResource(name, kSection));
    if (sound)
        sound->PlaySample(1.0f, 0.0f, 1.0f, false);
}
