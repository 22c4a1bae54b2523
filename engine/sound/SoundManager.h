#pragma once
// The engine's sound layer, as a silent stand-in until the sound system is
// wired in: it keeps the master volumes and the inactive-window mute state,
// runs as a frame task and plays nothing.
#include "engine/core/iInstance.h"
#include "engine/framework/iMessageListener.h"
#include "engine/framework/iTask.h"

namespace ZQ2 {

class SoundManager : public iTask, public iMessageListener, public iInstance<SoundManager> {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // Message numbers the manager reacts to.
    static constexpr int MSG_MINIMIZED_CHANGED = 517;
    static constexpr int MSG_ACTIVATE = 518;

    SoundManager(unsigned int mixRate, unsigned int channels);
    const RTTI& GetRTTI() const override { return rtti; }
    void* QueryInterface(const RTTI& which) override;

    // The first argument is unused.
    static void CreateInstance(unsigned long unused, unsigned int mixRate, unsigned int channels);

    void SetOverallStreamVolume(float volume) { m_fStreamVolume = volume; }
    void SetOverallSampleVolume(float volume) { m_fSampleVolume = volume; }
    float GetOverallStreamVolume() const { return m_fStreamVolume; }
    float GetOverallSampleVolume() const { return m_fSampleVolume; }
    bool IsMuted() const { return m_bInactive || m_bMinimized; }
    unsigned int GetMixRate() const { return m_nMixRate; }
    unsigned int GetChannelCount() const { return m_nChannels; }

    void ProcessMessage(const Message& message) override;

private:
    unsigned int m_nMixRate;
    unsigned int m_nChannels;
    float m_fStreamVolume = 1.0f;
    float m_fSampleVolume = 1.0f;
    bool m_bInactive = false;
    bool m_bMinimized = false;
};

}  // namespace ZQ2
