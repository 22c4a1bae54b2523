#include "engine/sound/Sound.h"

#include "engine/io/FileArchive.h"
#include "engine/sound/SoundManager.h"

namespace ZQ2 {

const RTTI* const Sound::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI Sound::rtti("Sound", Sound::rttis);

Sound::Sound(float volume, float panning, float pitch) : m_fVolume(volume), m_fPanning(panning), m_fPitch(pitch) {}

int Sound::LoadSample(const std::string& file, eArchiveType type, unsigned int mode) {
    if (!SoundManager::g_Instance)
        return 0;
    if (type == ARCHIVE_DEFAULT)
        type = FileArchive::GetArchiveType();
    // The resource's own type decides where the bytes come from, so an
    // enciphered file is deciphered even when the archive's type differs.
    if (!FileArchive::LoadFile(file, &m_Sample, type) || !m_Sample.GetData()) {
        m_Sample.Flush();
        return -1;
    }
    m_nMode = type == ARCHIVE_FILE ? mode : (mode | MODE_MEMORY);
    return 0;
}

int Sound::PlaySample(float, float, float, bool) { return -1; }

}  // namespace ZQ2
