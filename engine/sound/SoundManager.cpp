#include "engine/sound/SoundManager.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "aulos/ausnd.h"
#include "engine/core/Platform.h"
#include "engine/framework/GameWindow.h"
#include "engine/framework/Message.h"
#include "engine/framework/TemplateMessageData.h"
#include "engine/sound/SoundStream.h"

namespace ZQ2 {

const RTTI* const SoundManager::rttis[] = {&iTask::rtti, &iMessageListener::rtti, nullptr};
const RTTI SoundManager::rtti("SoundManager", SoundManager::rttis);

namespace {
// The output the environment asks for; the audio device by default.
int ChosenOutput() {
    const char* name = std::getenv("DELVOR_AUDIO_OUTPUT");
    if (name && std::strcmp(name, "nosound") == 0)
        return AUSND_OUTPUT_NOSOUND;
    if (name && std::strcmp(name, "capture") == 0)
        return AUSND_OUTPUT_CAPTURE;
    return AUSND_OUTPUT_SDL;
}

bool StartOn(int output, unsigned int mixRate, unsigned int channels) {
    AUSND_SetOutput(output);
    AUSND_SetHWND(nullptr);
    AUSND_SetMixer(AUSND_MIXER_QUALITY_AUTODETECT);
    return AUSND_Init(static_cast<int>(mixRate), static_cast<int>(channels), 0);
}
}  // namespace

int SoundManager::ToLevel(float level) {
    return std::clamp(static_cast<int>(std::trunc(level * 255.0f)), 0, 255);
}

bool SoundManager::Initialize(unsigned long, unsigned int mixRate, unsigned int channels) {
    if (AUSND_GetVersion() < 1.0f)
        return false;
    const int output = ChosenOutput();
    if (!StartOn(output, mixRate, channels)) {
        // The game never refuses to start for want of a sound device.
        Platform::OutputDebugStringFormat(
            "SoundManager: the audio output did not start (error %d); playing without sound\n", AUSND_GetError());
        AUSND_Close();
        if (!StartOn(AUSND_OUTPUT_NOSOUND, mixRate, channels))
            return false;
    }
    AUSND_SetPanSeperation(1.0f);
    return true;
}

void SoundManager::CreateInstance(unsigned long unused, unsigned int mixRate, unsigned int channels) {
    g_AudioAvailable = Initialize(unused, mixRate, channels);
    g_Instance = new SoundManager(mixRate, channels);
    g_Instance->AddRef();
    g_iSyncPointsCrossed = 0;
    g_bTakesSyncPoints = g_AudioAvailable;
}

SoundManager::SoundManager(unsigned int mixRate, unsigned int channels) : m_nMixRate(mixRate), m_nChannels(channels) {
    if (GameWindow::g_Instance)
        GameWindow::g_Instance->GetMessageHandler().AddMessageListener(this);
}

SoundManager::~SoundManager() {
    g_bTakesSyncPoints = false;
    if (GameWindow::g_Instance)
        GameWindow::g_Instance->GetMessageHandler().RemoveMessageListener(this);
    const bool wasAvailable = g_AudioAvailable;
    if (wasAvailable) {
        StopAllSamples();
        StopStreams();
    }
    g_AudioAvailable = false;
    if (wasAvailable)
        AUSND_Close();
}

void* SoundManager::QueryInterface(const RTTI& which) {
    if (&which == &iMessageListener::rtti)
        return static_cast<iMessageListener*>(this);
    return iTask::QueryInterface(which);
}

// ---------------------------------------------------------------- volumes

void SoundManager::SetStreamVolume(SoundStream* stream, float volume) {
    if (!stream)
        return;
    volume = std::clamp(volume, 0.0f, 1.0f);
    stream->SetCurrentVolume(volume);
    if (!g_AudioAvailable || IsMuted() || !stream->GetStream())
        return;
    AUSND_SetVolumeAbsolute(stream->GetChannel(), ToLevel(volume * stream->GetVolume() * m_fStreamVolume));
}

void SoundManager::SetStreamVolumeTimed(SoundStream* stream, float from, float to, int ms) {
    if (!stream)
        return;
    if (ms < 1)
        ms = 1;
    stream->SetTargetVolume(to);
    stream->SetCurrentVolume(from);
    stream->SetVolumeStep(std::fabs(to - from) / static_cast<float>(ms));
}

void SoundManager::SetStreamVolumeTimed(float from, float to, int ms) {
    SetStreamVolumeTimed(m_bCrossFading ? m_pNextStream : m_pCurrentStream, from, to, ms);
}

void SoundManager::SetStreamVolumeTimed(float to, int ms) {
    if (!m_pCurrentStream)
        return;
    SoundStream* target = m_bCrossFading ? m_pNextStream : m_pCurrentStream;
    SetStreamVolumeTimed(target, m_pCurrentStream->GetCurrentVolume(), to, ms);
}

void SoundManager::SetOverallStreamVolume(float volume) { m_fStreamVolume = std::clamp(volume, 0.0f, 1.0f); }

void SoundManager::SetOverallSampleVolume(float volume) {
    m_fSampleVolume = std::clamp(volume, 0.0f, 1.0f);
    if (g_AudioAvailable && !m_bUserMute)
        AUSND_SetSFXMasterVolume(ToLevel(m_fSampleVolume));
}

void SoundManager::SetMuted(bool muted) {
    m_bUserMute = muted;
    UpdateMuted();
}

void SoundManager::UpdateMuted() {
    if (!g_AudioAvailable)
        return;
    if (!IsMuted()) {
        SetOverallSampleVolume(m_fSampleVolume);
        if (m_pCurrentStream)
            SetStreamVolume(m_pCurrentStream, m_pCurrentStream->GetCurrentVolume());
        if (m_pNextStream)
            SetStreamVolume(m_pNextStream, m_pNextStream->GetCurrentVolume());
        return;
    }
    AUSND_SetSFXMasterVolume(0);
    for (SoundStream* stream : {m_pCurrentStream, m_pNextStream}) {
        if (stream && stream->GetStream())
            AUSND_SetVolumeAbsolute(stream->GetChannel(), 0);
    }
}

// ---------------------------------------------------------------- effects

bool SoundManager::PauseAllSounds(bool pause) { return g_AudioAvailable && AUSND_SetPaused(AUSND_CHANNEL_ALL, pause); }

bool SoundManager::StopSample(int channel) { return g_AudioAvailable && AUSND_StopSound(channel); }

bool SoundManager::StopAllSamples() { return StopSample(AUSND_CHANNEL_ALL); }

// ---------------------------------------------------------------- music

bool SoundManager::IsStreamPlaying(SoundStream* stream) const {
    return g_AudioAvailable && stream && stream->GetStream() && AUSND_Stream_GetPosition(stream->GetStream()) != 0;
}

bool SoundManager::StopStream() { return StopStream(m_pCurrentStream); }

bool SoundManager::StopStream(SoundStream* stream) {
    if (!g_AudioAvailable || !stream || !stream->GetStream())
        return false;
    if (!AUSND_Stream_Stop(stream->GetStream()) || !AUSND_Stream_Close(stream->GetStream()))
        return false;
    stream->SetChannel(-1);
    stream->SetStream(nullptr);
    return true;
}

void SoundManager::StopStreams() {
    StopStream(m_pCurrentStream);
    StopStream(m_pNextStream);
}

void SoundManager::ForgetStream(SoundStream* stream) {
    if (!stream)
        return;
    if (m_pNextStream == stream) {
        m_pNextStream = nullptr;
        m_bCrossFading = false;
        m_bSwitchAtSyncPoint = false;
    }
    if (m_pCurrentStream == stream)
        m_pCurrentStream = nullptr;
}

void SoundManager::SwapStreams() {
    StopStream(m_pCurrentStream);
    std::swap(m_pCurrentStream, m_pNextStream);
}

bool SoundManager::SetupNextStream(SoundStream* stream, unsigned int mode) {
    if (!g_AudioAvailable)
        return false;
    m_pNextStream = stream;
    if (!stream)
        return false;
    stream->SetStream(AUSND_Stream_Open(stream->GetFileName().c_str(), mode | AUSND_2D, 0, 0));
    if (!stream->GetStream()) {
        m_pNextStream = nullptr;
        return false;
    }
    return true;
}

void SoundManager::SetSyncCallback(bool (*callback)(AUSND_STREAM*, const char*, unsigned int, void*),
                                   SoundStream* stream) {
    if (!g_AudioAvailable)
        return;
    SoundStream* target = stream ? stream : m_pCurrentStream;
    if (target && target->GetStream())
        AUSND_Stream_SetSyncCallback(target->GetStream(), callback, nullptr);
}

bool SoundManager::OnSyncPointCrossed(AUSND_STREAM*, const char*, unsigned int, void*) {
    if (!g_bTakesSyncPoints.load())
        return false;
    g_iSyncPointsCrossed.fetch_add(1);
    return true;
}

void SoundManager::SwitchAtSyncPoint() {
    const int crossed = g_iSyncPointsCrossed.exchange(0);
    for (int i = 0; i < crossed; ++i) {
        if (m_bSwitchAtSyncPoint) {
            m_bSwitchAtSyncPoint = false;
            StopStream(m_pCurrentStream);
            PlayStream(m_pNextStream, false, STREAM_MODE);
        }
        if (m_SyncMethod)
            m_SyncMethod(m_pCurrentStream);
    }
}

bool SoundManager::PlayStream(SoundStream* stream, bool atSyncPoint, unsigned int mode) {
    if (!g_AudioAvailable)
        return false;
    if (stream && stream == m_pCurrentStream)
        return true;
    if (m_bCrossFading) {
        StopStreams();
        m_bCrossFading = false;
    }
    if (atSyncPoint && IsStreamPlaying(m_pCurrentStream)) {
        m_bSwitchAtSyncPoint = true;
        AUSND_Stream_SetSyncCallback(m_pCurrentStream->GetStream(), OnSyncPointCrossed, nullptr);
        return SetupNextStream(stream, mode);
    }
    m_bSwitchAtSyncPoint = false;
    if (!stream)
        return m_pCurrentStream ? PlayStream(nullptr, m_pCurrentStream, atSyncPoint, mode) : true;
    return PlayStream(m_pCurrentStream, stream, atSyncPoint, mode);
}

bool SoundManager::PlayStream(SoundStream* playing, SoundStream* stream, bool, unsigned int mode) {
    if (playing == stream)
        return true;
    m_bPaused = false;
    m_bPausePending = false;
    if (!stream)
        return false;
    if (stream != m_pCurrentStream) {
        if (m_bCrossFading) {
            StopStream(stream);
        } else {
            StopStream(m_pCurrentStream);
            m_pCurrentStream = stream;
        }
    }
    if (!stream->GetStream()) {
        stream->SetStream(AUSND_Stream_Open(stream->GetFileName().c_str(), mode | AUSND_2D, 0, 0));
        if (!stream->GetStream())
            return false;
        for (unsigned int offset : stream->GetSyncPoints())
            AUSND_Stream_AddSyncPoint(stream->GetStream(), offset, "");
    }
    if (stream->GetResumePosition() != 0) {
        AUSND_Stream_SetPosition(stream->GetStream(), stream->GetResumePosition());
        stream->SetResumePosition(0);
    }
    stream->SetChannel(AUSND_Stream_Play(AUSND_CHANNEL_FREE, stream->GetStream()));
    SetStreamVolume(stream, stream->GetCurrentVolume());
    return stream->GetChannel() >= 0;
}

bool SoundManager::CrossFadeStream(int fadeOutMs, float volume, int fadeInMs, SoundStream* stream, int startDelayMs,
                                   unsigned int mode) {
    if (!g_AudioAvailable)
        return false;
    // The same music is never restarted: only its level moves.
    if (!m_bCrossFading && m_pCurrentStream && stream &&
        m_pCurrentStream->GetFileName() == stream->GetFileName()) {
        SetStreamVolumeTimed(m_pCurrentStream, m_pCurrentStream->GetCurrentVolume(), volume, fadeOutMs);
        return PlayStream(nullptr, false, STREAM_MODE);
    }
    if (m_bCrossFading)
        SwapStreams();
    m_bCrossFading = true;
    m_pNextStream = stream;
    m_iStartDelay = startDelayMs;
    if (m_pCurrentStream)
        SetStreamVolumeTimed(m_pCurrentStream, m_pCurrentStream->GetCurrentVolume(), 0.0f, fadeOutMs);
    SetStreamVolumeTimed(m_pNextStream, 0.0f, volume, fadeInMs);
    return PlayStream(m_pCurrentStream, m_pNextStream, false, mode);
}

bool SoundManager::PauseStream(unsigned int fadeMs) {
    if (!g_AudioAvailable || !m_pCurrentStream || m_bPaused || m_bPausePending)
        return false;
    if (fadeMs != 0) {
        // The pause is scheduled: it completes in the update once the fade is done.
        m_bPausePending = true;
        const int ms = static_cast<int>(std::min(fadeMs, 0x7FFFFFFFu));
        SetStreamVolumeTimed(m_pCurrentStream, m_pCurrentStream->GetCurrentVolume(), 0.0f, ms);
        if (m_bCrossFading) {
            SetStreamVolumeTimed(m_pNextStream, m_pNextStream ? m_pNextStream->GetCurrentVolume() : 0.0f, 0.0f, ms);
            m_iStartDelay = 0;
        }
        return true;
    }
    if (m_pCurrentStream->GetStream()) {
        if (m_bCrossFading) {
            AUSND_Stream_Stop(m_pCurrentStream->GetStream());
            SwapStreams();
            m_bCrossFading = false;
        }
        if (m_pCurrentStream && m_pCurrentStream->GetStream()) {
            m_pCurrentStream->SetResumePosition(AUSND_Stream_GetPosition(m_pCurrentStream->GetStream()));
            if (AUSND_Stream_Stop(m_pCurrentStream->GetStream())) {
                m_bPausePending = false;
                m_bPaused = true;
                return true;
            }
        }
    }
    m_bPausePending = false;
    return false;
}

// ---------------------------------------------------------------- frame and messages

void SoundManager::RampStream(SoundStream* stream, int deltaMs) {
    const float current = stream->GetCurrentVolume();
    const float target = stream->GetTargetVolume();
    const float change = static_cast<float>(deltaMs) * stream->GetVolumeStep();
    if (target > current)
        stream->SetCurrentVolume(std::min(current + change, target));
    else if (target < current)
        stream->SetCurrentVolume(std::max(current - change, target));
}

void SoundManager::OnUpdate(int deltaMs) {
    if (!g_AudioAvailable)
        return;
    UpdateStreams(deltaMs);
    MixFrame();
}

void SoundManager::UpdateStreams(int deltaMs) {
    SwitchAtSyncPoint();
    for (SoundStream* stream : {m_pCurrentStream, m_pNextStream}) {
        if (!stream)
            break;
        const bool delayed = stream == m_pNextStream && m_bCrossFading && m_iStartDelay != 0;
        if (delayed) {
            m_iStartDelay -= deltaMs;
            if (m_iStartDelay < 0) {
                if (stream->GetStream())
                    AUSND_Stream_SetPosition(stream->GetStream(), 0);
                m_iStartDelay = 0;
            }
        } else {
            RampStream(stream, deltaMs);
        }
        SetStreamVolume(stream, stream->GetCurrentVolume());
    }
    if (!m_pCurrentStream || m_pCurrentStream->GetCurrentVolume() != m_pCurrentStream->GetTargetVolume())
        return;
    if (m_bPausePending) {
        m_bPausePending = false;
        PauseStream(0);
    }
    if (m_pNextStream && m_bCrossFading &&
        m_pNextStream->GetCurrentVolume() == m_pNextStream->GetTargetVolume()) {
        SwapStreams();
        m_bCrossFading = false;
    }
}

void SoundManager::MixFrame() {
    // The device outputs mix on their own threads; the capture and no-sound
    // outputs mix one block here per frame.
    if (g_AudioAvailable)
        AUSND_Update();
}

// Sound goes quiet while the window is inactive or minimised.
void SoundManager::ProcessMessage(const Message& message) {
    auto* flag = message.GetData<TemplateMessageData<bool>>();
    if (!flag)
        return;
    if (message.GetNumber() == MSG_ACTIVATE)
        m_bFocusMute = !flag->GetValue();
    else if (message.GetNumber() == MSG_MINIMIZED_CHANGED)
        m_bFocusMute = flag->GetValue();
    else
        return;
    UpdateMuted();
}

}  // namespace ZQ2
