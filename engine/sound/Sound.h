#pragma once
// One sound effect, loaded whole into a sound-system sample, with the volume,
// pan and pitch factors of its resource.
#include <string>

#include "engine/core/BaseObject.h"
#include "engine/io/eArchiveType.h"

struct AUSND_SAMPLE;

namespace ZQ2 {

class Sound : public BaseObject {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // Added to the load mode when the sample is handed over from memory.
    static constexpr unsigned int MODE_MEMORY = 0x8000;
    // Engine sounds keep the pan they are given: they are never re-centred as 3D sounds.
    static constexpr unsigned int MODE_2D = 0x2000;

    Sound(float volume, float panning, float pitch);
    ~Sound() override;
    const RTTI& GetRTTI() const override { return rtti; }

    // 0 on success, -1 when no sample was made. Without audio it does nothing
    // and answers 0. Type 0 follows the data archive's global type.
    int LoadSample(const std::string& file, eArchiveType type, unsigned int mode);
    // The channel, or a negative value when nothing plays.
    int PlaySample(float volume, float pan, float pitch, bool loop);
    // In milliseconds, at the sample's own rate; 0 without audio or sample.
    unsigned int GetLength() const;

    AUSND_SAMPLE* GetSample() const { return m_pSample; }
    bool HasSample() const { return m_pSample != nullptr; }
    unsigned int GetMode() const { return m_nMode; }
    float GetVolume() const { return m_fVolume; }
    float GetPanning() const { return m_fPanning; }
    float GetPitch() const { return m_fPitch; }

private:
    void FreeSample();

    AUSND_SAMPLE* m_pSample = nullptr;
    unsigned int m_nMode = 0;
    float m_fVolume;
    float m_fPanning;
    float m_fPitch;
};

}  // namespace ZQ2
