#pragma once
// The engine's single owner of the sound system: starts it on the chosen
// output, keeps the master volumes of effects and music, mutes everything
// while asked or while the window is minimised or inactive, and plays music
// streams with volume ramps, cross-fades, pauses and sync-point switches.
#include <atomic>
#include <functional>

#include "engine/core/iInstance.h"
#include "engine/framework/iMessageListener.h"
#include "engine/framework/iTask.h"

struct AUSND_STREAM;

namespace ZQ2 {

class SoundStream;

class SoundManager : public iTask, public iMessageListener, public iInstance<SoundManager> {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // Message numbers the manager reacts to.
    static constexpr int MSG_MINIMIZED_CHANGED = 517;
    static constexpr int MSG_ACTIVATE = 518;
    // The mode the game plays its music with: normal loop, 16-bit, mono, signed.
    static constexpr unsigned int STREAM_MODE = 306;

    // Whether the sound system started; every sound operation does nothing without it.
    static inline bool g_AudioAvailable = false;

    SoundManager(unsigned int mixRate, unsigned int channels);
    ~SoundManager() override;
    const RTTI& GetRTTI() const override { return rtti; }
    void* QueryInterface(const RTTI& which) override;

    // The first argument is unused.
    static void CreateInstance(unsigned long unused, unsigned int mixRate, unsigned int channels);
    // Starts the sound system on the output named by DELVOR_AUDIO_OUTPUT
    // ("nosound", "capture"; the audio device otherwise); an output that
    // fails to start falls back to no sound.
    static bool Initialize(unsigned long unused, unsigned int mixRate, unsigned int channels);
    // A 0..1 level as the sound system's 0..255, clamped (never wrapped).
    static int ToLevel(float level);

    // Music.
    bool PlayStream(SoundStream* stream, bool atSyncPoint, unsigned int mode);
    bool CrossFadeStream(int fadeOutMs, float volume, int fadeInMs, SoundStream* stream, int startDelayMs,
                         unsigned int mode);
    bool PauseStream(unsigned int fadeMs);
    bool StopStream();
    bool StopStream(SoundStream* stream);
    void StopStreams();
    void SwapStreams();
    void SetStreamVolumeTimed(SoundStream* stream, float from, float to, int ms);
    void SetStreamVolumeTimed(float from, float to, int ms);
    void SetStreamVolumeTimed(float to, int ms);
    void SetStreamVolume(SoundStream* stream, float volume);
    bool IsStreamPlaying(SoundStream* stream) const;
    bool SetupNextStream(SoundStream* stream, unsigned int mode);
    void SetSyncCallback(bool (*callback)(AUSND_STREAM*, const char*, unsigned int, void*), SoundStream* stream);
    // The sound system's sync callback: runs on a sound thread, so it only
    // raises a flag; the manager's update carries the switch out.
    static bool OnSyncPointCrossed(AUSND_STREAM* stream, const char* name, unsigned int offset, void* user);
    // Called on the main thread after every crossed sync point with the current stream.
    void SetSyncMethod(std::function<void(SoundStream*)> method) { m_SyncMethod = std::move(method); }

    SoundStream* GetCurrentStream() const { return m_pCurrentStream; }
    SoundStream* GetNextStream() const { return m_pNextStream; }
    // A stream being destroyed leaves the music it takes part in.
    void ForgetStream(SoundStream* stream);
    bool IsCrossFading() const { return m_bCrossFading; }
    bool IsStreamPaused() const { return m_bPaused; }

    // Effects and mute.
    void SetOverallStreamVolume(float volume);
    void SetOverallSampleVolume(float volume);
    float GetOverallStreamVolume() const { return m_fStreamVolume; }
    float GetOverallSampleVolume() const { return m_fSampleVolume; }
    void SetMuted(bool muted);
    void UpdateMuted();
    bool IsMuted() const { return m_bUserMute || m_bFocusMute; }
    bool PauseAllSounds(bool pause);
    bool StopSample(int channel);
    bool StopAllSamples();
    unsigned int GetMixRate() const { return m_nMixRate; }
    unsigned int GetChannelCount() const { return m_nChannels; }

    void OnUpdate(int deltaMs) override;
    void ProcessMessage(const Message& message) override;

private:
    bool PlayStream(SoundStream* playing, SoundStream* stream, bool atSyncPoint, unsigned int mode);
    void UpdateStreams(int deltaMs);
    void MixFrame();
    void RampStream(SoundStream* stream, int deltaMs);
    void SwitchAtSyncPoint();

    unsigned int m_nMixRate;
    unsigned int m_nChannels;
    bool m_bUserMute = false;
    bool m_bFocusMute = false;
    float m_fSampleVolume = 1.0f;
    float m_fStreamVolume = 1.0f;
    SoundStream* m_pCurrentStream = nullptr;
    SoundStream* m_pNextStream = nullptr;
    bool m_bCrossFading = false;
    int m_iStartDelay = 0;
    bool m_bPausePending = false;
    bool m_bPaused = false;
    bool m_bSwitchAtSyncPoint = false;
    // Written by the sync callback on a sound thread, which must not reach
    // the instance: it may be going away on the main thread meanwhile.
    static inline std::atomic<bool> g_bTakesSyncPoints{false};
    static inline std::atomic<int> g_iSyncPointsCrossed{0};
    std::function<void(SoundStream*)> m_SyncMethod;
};

}  // namespace ZQ2
