#pragma once
// A music stream of the resource lists: the music file, its volume and
// panning, and an optional file of sync points. Its payload is the
// SoundStream; the sound layer opens the stream when it plays it.
#include <string>

#include "engine/core/SmartPtr.h"
#include "engine/io/ObjectInitializer.h"
#include "engine/io/ResourceObject.h"

namespace ZQ2 {

class SoundStream;

class ResourceStream : public ResourceObject {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    static constexpr int DEFAULT_UNITS = 80;

    // "file", "archive", then "syncpointsfile", "volume" (1.0) and "panning" (0.0).
    explicit ResourceStream(AbstractProperty* property);
    ResourceStream(const std::string& file, const std::string& syncPointsFile);
    ~ResourceStream() override;
    const RTTI& GetRTTI() const override { return rtti; }

    static BaseObject* OnData(AbstractProperty* data);

    void Load() override;
    BaseObject* GetResource() override;
    void FreeResource() override;
    std::string ToStringForResource() const override;

    SoundStream* GetStream() const;
    const std::string& GetSyncPointsFile() const { return m_strSyncPointsFile; }
    float GetVolume() const { return m_fVolume; }
    float GetPanning() const { return m_fPanning; }

private:
    static ObjectInitializer m_ObjectInitializer;
    static ObjectInitializer m_ClassNameInitializer;

    SmartPtr<SoundStream> m_pStream;
    std::string m_strSyncPointsFile;
    float m_fVolume = 1.0f;
    float m_fPanning = 0.0f;
};

}  // namespace ZQ2
