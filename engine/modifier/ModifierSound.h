#pragma once
// A modifier that plays a sound once when it first runs and, unless told not
// to wait, lasts as long as the sound, so that a sound starts exactly when an
// animation step begins.
#include <string>

#include "engine/modifier/Modifier.h"

namespace ZQ2 {

class Sound;

class ModifierSound : public Modifier {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    ModifierSound(const std::string& id, const std::string& section, bool dontWait);
    ModifierSound(Sound* sound, bool dontWait);
    // Without a sound: plays its client when the client is a sound node.
    explicit ModifierSound(bool dontWait);
    ~ModifierSound() override;
    const RTTI& GetRTTI() const override { return rtti; }

    void Tick(int elapsedMs) override;
    void EndModifier() override;
    std::string ToString() const override;

    Sound* GetSound() const { return m_pSound; }
    bool HasPlayed() const { return m_bPlayed; }

private:
    void PlaySound();

    Sound* m_pSound = nullptr;
    bool m_bPlayed = false;
    bool m_bDontWait;
    int m_iRemainingTime = 0;
};

}  // namespace ZQ2
