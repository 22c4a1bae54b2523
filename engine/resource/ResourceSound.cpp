#include "engine/resource/ResourceSound.h"

#include "engine/io/AbstractProperty.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "engine/sound/Sound.h"

namespace ZQ2 {

namespace {
const char* const PROP_VOLUME = "volume";
const char* const PROP_PANNING = "panning";
const char* const PROP_PITCH = "pitch";

void ReadFloat(PropertyNode* node, const char* key, float& value) {
    if (node->HasProperty(key))
        value = node->GetValue(key)->ToFloat();
}
}  // namespace

const RTTI* const ResourceSound::rttis[] = {&ResourceObject::rtti, nullptr};
const RTTI ResourceSound::rtti("ResourceSound", ResourceSound::rttis);

ObjectInitializer ResourceSound::m_ObjectInitializer("Sound", &ResourceSound::OnData);
ObjectInitializer ResourceSound::m_ClassNameInitializer("ResourceSound", &ResourceSound::OnData);

ResourceSound::ResourceSound(AbstractProperty* property) : ResourceObject(property) {
    if (!property)
        return;
    PropertyNode* node = property->ToNode();
    ReadFloat(node, PROP_VOLUME, m_fVolume);
    ReadFloat(node, PROP_PANNING, m_fPanning);
    ReadFloat(node, PROP_PITCH, m_fPitch);
}

ResourceSound::ResourceSound(const std::string& file, float volume, float panning, float pitch)
    : ResourceObject(file), m_fVolume(volume), m_fPanning(panning), m_fPitch(pitch) {
    SetUnits(DEFAULT_UNITS);
}

ResourceSound::~ResourceSound() = default;

BaseObject* ResourceSound::OnData(AbstractProperty* data) { return new ResourceSound(data); }

void ResourceSound::Load() {
    m_pSound = new Sound(m_fVolume, m_fPanning, m_fPitch);
    // Asked where the sound will read it: the archive, or the enciphered file.
    if (!SourceExists())
        SetError(RESOURCE_ERROR_FILE_NOT_FOUND);
    else if (m_pSound->LoadSample(GetFile(), GetArchiveType(), SAMPLE_MODE) < 0)
        SetError(RESOURCE_ERROR_UNSPECIFIED);
    SetFinished();
}

BaseObject* ResourceSound::GetResource() { return m_pSound.Get(); }

Sound* ResourceSound::GetSound() const { return m_pSound.Get(); }

void ResourceSound::FreeResource() {
    ResourceObject::FreeResource();
    m_pSound = nullptr;
}

std::string ResourceSound::ToStringForResource() const {
    return ResourceObject::ToStringForResource() + " Volume: " + std::to_string(m_fVolume) +
           " Panning: " + std::to_string(m_fPanning) + " Pitch: " + std::to_string(m_fPitch);
}

}  // namespace ZQ2
