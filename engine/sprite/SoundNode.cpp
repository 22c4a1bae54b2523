#include "engine/sprite/SoundNode.h"

#include <algorithm>
#include <cmath>

#include "aulos/ausnd.h"
#include "engine/framework/GameWindow.h"
#include "engine/io/AbstractProperty.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "engine/resource/ResourceManager.h"
#include "engine/sound/Sound.h"
#include "engine/sound/SoundManager.h"

namespace ZQ2 {

const char* const PROP_SOUND = "sound";
const char* const PROP_LOOPED = "looped";
const char* const PROP_VOLUME = "volume";
const char* const PROP_PANNING = "panning";
const char* const PROP_PITCH = "pitch";
const char* const PROP_PANNING_PARENT_POSITION_USED = "screenpospanning";
const char* const PROP_PAN_MIN_X = "panminx";
const char* const PROP_PAN_MAX_X = "panmaxx";
const char* const PROP_PAN_MIN_VALUE = "panminvalue";
const char* const PROP_PAN_MAX_VALUE = "panmaxvalue";
const char* const PROP_FORCED_RESTART = "forcedrestart";
const char* const PROP_FORCED_STOP = "forcedstop";
const char* const PROP_MAX_USERS = "maxusers";
const char* const PROP_MIN_START_INTERVAL = "minstartinterval";

const RTTI* const SoundNode::rttis[] = {&GameNode::rtti, nullptr};
const RTTI SoundNode::rtti("SoundNode", SoundNode::rttis);
ObjectInitializer SoundNode::m_ObjectInitializer("SoundNode", &SoundNode::OnData);

namespace {
int WindowWidth() { return GameWindow::g_Instance ? GameWindow::g_Instance->GetWidth() : 0; }
}  // namespace

SoundNode::SoundNode(Sound* sound) : GameNode(std::string()) { SetSound(sound); }

SoundNode::SoundNode(AbstractProperty* data) : GameNode(data) {
    if (data)
        SetProperties(data->ToNode());
}

SoundNode::~SoundNode() {
    if (m_iChannel >= 0 && SoundManager::g_AudioAvailable)
        AUSND_StopSound(m_iChannel);
    RemoveAllModifiers();
    SetSound(nullptr);
}

BaseObject* SoundNode::OnData(AbstractProperty* data) { return new SoundNode(data); }

void SoundNode::SetSound(Sound* sound) {
    if (sound)
        sound->AddRef();
    if (m_pSound)
        m_pSound->Release();
    m_pSound = sound;
}

void SoundNode::SetProperties(PropertyNode* data) {
    if (!data)
        return;
    if (data->HasProperty(PROP_SOUND) && data->HasProperty(PROP_SECTION)) {
        Sound* sound = nullptr;
        if (ResourceManager::g_Instance)
            sound = DynamicCast<Sound>(ResourceManager::g_Instance->GetResource(data->GetPropString(PROP_SOUND),
                                                                                data->GetPropString(PROP_SECTION)));
        SetSound(sound);
    }
    auto number = [&](const char* key, float& out) {
        if (data->HasProperty(key) && data->GetValue(key))
            out = data->GetValue(key)->ToFloat();
    };
    auto integer = [&](const char* key, int& out) {
        if (data->HasProperty(key) && data->GetValue(key))
            out = static_cast<int>(data->GetValue(key)->ToLong());
    };
    auto flag = [&](const char* key, bool& out) {
        if (data->HasProperty(key) && data->GetValue(key))
            out = data->GetValue(key)->ToBoolean();
    };
    flag(PROP_LOOPED, m_bLooping);
    number(PROP_VOLUME, m_fVolume);
    number(PROP_PANNING, m_fPan);
    number(PROP_PITCH, m_fPitch);
    flag(PROP_PANNING_PARENT_POSITION_USED, m_bScreenPosPanning);
    integer(PROP_PAN_MIN_X, m_iPanLeft);
    integer(PROP_PAN_MAX_X, m_iPanRight);
    number(PROP_PAN_MIN_VALUE, m_fPanMin);
    number(PROP_PAN_MAX_VALUE, m_fPanMax);
    flag(PROP_FORCED_RESTART, m_bForcedRestart);
    flag(PROP_FORCED_STOP, m_bForcedStop);
    integer(PROP_MAX_USERS, m_iMaxUsers);
    integer(PROP_MIN_START_INTERVAL, m_iMinStartInterval);
}

int SoundNode::PlaySample(float volume, float pan, float pitch, bool loop, bool force) {
    if (!SoundManager::g_AudioAvailable)
        return -1;
    const bool restart = force || m_bForcedRestart;
    const bool wantLoop = loop || m_bLooping;
    if (!restart && m_iUserCount >= m_iMaxUsers) {
        // A looping sound keeps playing; a one-shot restarts only after the interval.
        if (wantLoop)
            return m_iChannel;
        if (m_iSinceLastStart >= 0 && m_iSinceLastStart < m_iMinStartInterval)
            return m_iChannel;
    }
    if (!m_pSound)
        return -1;
    const int channel = m_pSound->PlaySample(volume, pan, pitch, wantLoop);
    if (channel < 0)
        return channel;  // nothing started: no user to release later
    m_iChannel = channel;
    m_bLooping = wantLoop;
    m_iRemainingPlayTime = static_cast<int>(std::min(m_pSound->GetLength(), 0x7FFFFFFFu));
    m_iSinceLastStart = 0;
    ++m_iUserCount;
    return m_iChannel;
}

bool SoundNode::StopSample(bool force) {
    if (!SoundManager::g_AudioAvailable)
        return false;
    const bool stopAll = force || m_bForcedStop;
    if (m_iUserCount <= 0 && !stopAll)
        return false;
    m_iUserCount = stopAll ? 0 : std::max(m_iUserCount - 1, 0);
    if (m_iUserCount > 0)
        return false;
    const bool stopped = AUSND_StopSound(m_iChannel);
    m_iChannel = -1;
    m_bPaused = false;
    return stopped;
}

bool SoundNode::PauseSample(bool paused) {
    if (!SoundManager::g_AudioAvailable)
        return false;
    m_bPaused = paused;
    return AUSND_SetPaused(m_iChannel, paused);
}

void SoundNode::SetVolume(float volume) {
    if (!SoundManager::g_AudioAvailable)
        return;
    m_fVolume = std::clamp(volume, 0.0f, 1.0f);
    const float factor = m_pSound ? m_pSound->GetVolume() : 1.0f;
    AUSND_SetVolume(m_iChannel, SoundManager::ToLevel(m_fVolume * factor));
}

void SoundNode::SetPan(float pan) {
    if (!SoundManager::g_AudioAvailable)
        return;
    if (pan <= m_fPanMin)
        pan = m_fPanMin;
    else if (pan > m_fPanMax)
        pan = m_fPanMax;
    m_fPan = pan;
    const float factor = m_pSound ? m_pSound->GetPanning() : 1.0f;
    AUSND_SetPan(m_iChannel, std::clamp(static_cast<int>(m_fPan * factor * 127.0f + 128.0f), 0, 255));
}

void SoundNode::SetPitch(float pitch) {
    if (!SoundManager::g_AudioAvailable)
        return;
    m_fPitch = std::clamp(pitch, 0.0001f, 7056.0f);
    if (!m_pSound || !m_pSound->GetSample())
        return;
    int frequency = 44100;
    AUSND_Sample_GetDefaults(m_pSound->GetSample(), &frequency, nullptr, nullptr, nullptr);
    const double scaled = std::trunc(static_cast<double>(m_pSound->GetPitch()) * m_fPitch * frequency);
    AUSND_SetFrequency(m_iChannel, static_cast<int>(std::clamp(scaled, 100.0, 705600.0)));
}

void SoundNode::SetPanArea(int left, int right) {
    const int width = WindowWidth();
    m_iPanLeft = left <= 0 ? 0 : left;
    m_iPanRight = right >= width ? width : right;
}

void SoundNode::SetPanLimits(float min, float max) {
    m_fPanMin = min < -1.0f ? -1.0f : min;
    m_fPanMax = max > 1.0f ? 1.0f : max;
}

float SoundNode::ConvertScreenPosToPan(float x) const {
    const int width = WindowWidth();
    return width > 0 ? x / static_cast<float>(width) : 0.0f;
}

float SoundNode::ConvertScreenPosToPan(GameNode* node) const {
    return node ? ConvertScreenPosToPan(node->GetScreenX()) : 0.0f;
}

void SoundNode::Tick(int deltaMs) {
    GameNode::Tick(deltaMs);
    CountPlayTime(deltaMs);
    if (m_bScreenPosPanning)
        SetPan(ConvertScreenPosToPan(GetParent()));
}

// A paused channel does not advance, so neither does the node's time: the
// play goes on after the pause with what was left of it.
void SoundNode::CountPlayTime(int deltaMs) {
    if (m_bPaused)
        return;
    if (m_iSinceLastStart >= 0 && m_iSinceLastStart < 0x3FFFFFFF)
        m_iSinceLastStart += deltaMs;
    if (m_iRemainingPlayTime <= 0)
        return;
    m_iRemainingPlayTime -= deltaMs;
    if (!m_bLooping && m_iRemainingPlayTime <= 0 && m_iUserCount > 0)
        StopSample(false);
}

}  // namespace ZQ2
