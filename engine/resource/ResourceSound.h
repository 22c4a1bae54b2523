#pragma once
// A sound effect of the resource lists: the sample file with its volume,
// panning and pitch factors. Its payload is the Sound.
#include <string>

#include "engine/core/SmartPtr.h"
#include "engine/io/ObjectInitializer.h"
#include "engine/io/ResourceObject.h"

namespace ZQ2 {

class Sound;

class ResourceSound : public ResourceObject {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    static constexpr int DEFAULT_UNITS = 80;
    // The load mode handed to the sound: 16-bit, mono, signed.
    static constexpr unsigned int SAMPLE_MODE = 304;

    // "file", "archive", then "volume", "panning" and "pitch" (each 1.0).
    explicit ResourceSound(AbstractProperty* property);
    ResourceSound(const std::string& file, float volume, float panning, float pitch);
    ~ResourceSound() override;
    const RTTI& GetRTTI() const override { return rtti; }

    static BaseObject* OnData(AbstractProperty* data);

    void Load() override;
    BaseObject* GetResource() override;
    void FreeResource() override;
    std::string ToStringForResource() const override;

    Sound* GetSound() const;
    float GetVolume() const { return m_fVolume; }
    float GetPanning() const { return m_fPanning; }
    float GetPitch() const { return m_fPitch; }

private:
    static ObjectInitializer m_ObjectInitializer;
    static ObjectInitializer m_ClassNameInitializer;

    SmartPtr<Sound> m_pSound;
    float m_fVolume = 1.0f;
    float m_fPanning = 1.0f;
    float m_fPitch = 1.0f;
};

}  // namespace ZQ2
