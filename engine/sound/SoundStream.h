#pragma once
// One piece of music: its file, its volume and panning, and the sync points
// read from a companion property file. A stand-in until the sound system is
// wired in: the sound layer will open and play the stream; here it is only
// described.
#include <string>

#include "engine/core/BaseObject.h"
#include "engine/core/ZQVector.h"

struct AUSND_STREAM;

namespace ZQ2 {

extern const char* const PROP_VEC_SYNC_POINTS;

class SoundStream : public BaseObject {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    explicit SoundStream(AUSND_STREAM* stream);
    const RTTI& GetRTTI() const override { return rtti; }

    // Reads the sync-points file as a property store and appends the integer
    // "value" of every node of its vector "SyncPoints", in file order. A file
    // without the vector adds nothing; false only when it cannot be read.
    bool ParseSyncPoints();

    AUSND_STREAM* GetStream() const { return m_pStream; }
    const std::string& GetFileName() const { return m_strFileName; }
    void SetFileName(const std::string& file) { m_strFileName = file; }
    float GetVolume() const { return m_fVolume; }
    void SetVolume(float volume) { m_fVolume = volume; }
    float GetPanning() const { return m_fPanning; }
    void SetPanning(float panning) { m_fPanning = panning; }
    const std::string& GetSyncPointsFileName() const { return m_strSyncPointsFile; }
    void SetSyncPointsFileName(const std::string& file) { m_strSyncPointsFile = file; }
    const ZQVector<unsigned int>& GetSyncPoints() const { return m_SyncPoints; }

private:
    AUSND_STREAM* m_pStream;
    float m_fVolume = 1.0f;
    float m_fPanning = 0.0f;
    std::string m_strFileName;
    std::string m_strSyncPointsFile;
    ZQVector<unsigned int> m_SyncPoints;
};

}  // namespace ZQ2
