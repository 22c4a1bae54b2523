#pragma once
// A scene-graph node that plays one sound effect with its own volume, pan and
// pitch: it counts the callers using the sound so that plays and stops
// balance, refuses restarts that come too soon, ends plays that have run
// their length, and can pan after its parent's position on the screen.
#include "engine/sprite/GameNode.h"
#include "engine/io/ObjectInitializer.h"

namespace ZQ2 {

class AbstractProperty;
class PropertyNode;
class Sound;

extern const char* const PROP_SOUND;
extern const char* const PROP_SECTION;  // shared with the sprites
extern const char* const PROP_LOOPED;
extern const char* const PROP_VOLUME;
extern const char* const PROP_PANNING;
extern const char* const PROP_PITCH;
extern const char* const PROP_PANNING_PARENT_POSITION_USED;
extern const char* const PROP_PAN_MIN_X;
extern const char* const PROP_PAN_MAX_X;
extern const char* const PROP_PAN_MIN_VALUE;
extern const char* const PROP_PAN_MAX_VALUE;
extern const char* const PROP_FORCED_RESTART;
extern const char* const PROP_FORCED_STOP;
extern const char* const PROP_MAX_USERS;
extern const char* const PROP_MIN_START_INTERVAL;

class SoundNode : public GameNode {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    explicit SoundNode(Sound* sound);
    // The node's keys, then the sound node's (SetProperties).
    explicit SoundNode(AbstractProperty* data);
    ~SoundNode() override;
    const RTTI& GetRTTI() const override { return rtti; }

    static BaseObject* OnData(AbstractProperty* data);
    static ObjectInitializer m_ObjectInitializer;

    void SetProperties(PropertyNode* data);

    int PlaySample(float volume, float pan, float pitch, bool loop, bool force);
    int PlaySample(bool loop) { return PlaySample(m_fVolume, m_fPan, m_fPitch, loop, false); }
    int PlaySample(float volume, float pan, bool loop, bool force) { return PlaySample(volume, pan, 1.0f, loop, force); }
    bool StopSample(bool force);
    bool PauseSample(bool paused);
    void SetVolume(float volume);
    void SetPan(float pan);
    void SetPitch(float pitch);
    void SetPanArea(int left, int right);
    void SetPanLimits(float min, float max);
    float ConvertScreenPosToPan(float x) const;
    float ConvertScreenPosToPan(GameNode* node) const;

    void Tick(int deltaMs) override;

    Sound* GetSound() const { return m_pSound; }
    int GetChannel() const { return m_iChannel; }
    int GetUserCount() const { return m_iUserCount; }
    bool IsLooping() const { return m_bLooping; }
    float GetVolume() const { return m_fVolume; }
    float GetPan() const { return m_fPan; }
    float GetPitch() const { return m_fPitch; }

private:
    void SetSound(Sound* sound);
    void CountPlayTime(int deltaMs);

    Sound* m_pSound = nullptr;
    int m_iChannel = -1;
    bool m_bLooping = false;
    bool m_bPaused = false;
    int m_iUserCount = 0;
    float m_fVolume = 1.0f;
    float m_fPan = 0.0f;
    float m_fPitch = 1.0f;
    bool m_bScreenPosPanning = false;
    int m_iPanLeft = -1;
    int m_iPanRight = -1;
    float m_fPanMin = -1.0f;
    float m_fPanMax = 1.0f;
    bool m_bForcedRestart = false;
    bool m_bForcedStop = false;
    int m_iMaxUsers = 1;
    int m_iRemainingPlayTime = 0;
    int m_iMinStartInterval = 200;
    // Milliseconds since the last play that really started; -1 before any.
    int m_iSinceLastStart = -1;
};

}  // namespace ZQ2
