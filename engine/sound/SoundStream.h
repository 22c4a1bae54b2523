#pragma once
// One piece of music: its file, its volume and panning, the sync points read
// from a companion property file, and the state the sound manager keeps for
// it while it plays (channel, volume ramp, resume position).
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
    ~SoundStream() override;
    const RTTI& GetRTTI() const override { return rtti; }

    // Reads the sync-points file as a property store and appends the integer
    // "value" of every node of its vector "SyncPoints", in file order. A file
    // without the vector adds nothing; false only when it cannot be read.
    bool ParseSyncPoints();

    AUSND_STREAM* GetStream() const { return m_pStream; }
    void SetStream(AUSND_STREAM* stream) { m_pStream = stream; }
    int GetChannel() const { return m_iChannel; }
    void SetChannel(int channel) { m_iChannel = channel; }
    float GetCurrentVolume() const { return m_fCurrentVolume; }
    void SetCurrentVolume(float volume) { m_fCurrentVolume = volume; }
    float GetTargetVolume() const { return m_fTargetVolume; }
    void SetTargetVolume(float volume) { m_fTargetVolume = volume; }
    float GetVolumeStep() const { return m_fVolumeStep; }
    void SetVolumeStep(float step) { m_fVolumeStep = step; }
    unsigned int GetResumePosition() const { return m_iResumePosition; }
    void SetResumePosition(unsigned int position) { m_iResumePosition = position; }
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
    int m_iChannel = -1;
    float m_fVolume = 1.0f;
    float m_fCurrentVolume = 1.0f;
    float m_fTargetVolume = 1.0f;
    float m_fVolumeStep = 0.0f;
    unsigned int m_iResumePosition = 0;
    float m_fPanning = 0.0f;
    std::string m_strFileName;
    std::string m_strSyncPointsFile;
    ZQVector<unsigned int> m_SyncPoints;
};

}  // namespace ZQ2
