#pragma once
// One sound effect, loaded whole, with the volume, pan and pitch factors of
// its resource. Until the sound system is wired in this is a silent
// stand-in: it reads and keeps the sample's bytes and plays nothing.
#include <string>

#include "engine/core/BaseObject.h"
#include "engine/core/MemoryBuffer_t.h"
#include "engine/io/eArchiveType.h"

namespace ZQ2 {

class Sound : public BaseObject {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // Added to the load mode when the sample is handed over from memory.
    static constexpr unsigned int MODE_MEMORY = 0x8000;

    Sound(float volume, float panning, float pitch);
    const RTTI& GetRTTI() const override { return rtti; }

    // 0 on success, -1 when no sample was made. Without audio (no sound
    // manager) it does nothing and answers 0. Type 0 follows the data
    // archive's global type.
    int LoadSample(const std::string& file, eArchiveType type, unsigned int mode);
    // The channel, or a negative value when nothing plays; the stand-in
    // never plays, so always -1.
    int PlaySample(float volume, float pan, float pitch, bool loop);
    // In milliseconds; 0 without a sound system.
    unsigned int GetLength() const { return 0; }

    bool HasSample() const { return m_Sample.GetData() != nullptr; }
    int GetSampleSize() const { return m_Sample.GetSize(); }
    unsigned int GetMode() const { return m_nMode; }
    float GetVolume() const { return m_fVolume; }
    float GetPanning() const { return m_fPanning; }
    float GetPitch() const { return m_fPitch; }

private:
    MemoryBuffer_t<unsigned char> m_Sample;
    unsigned int m_nMode = 0;
    float m_fVolume;
    float m_fPanning;
    float m_fPitch;
};

}  // namespace ZQ2
