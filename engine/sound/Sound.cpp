#include "engine/sound/Sound.h"

#include <algorithm>
#include <cmath>

#include "aulos/ausnd.h"
#include "engine/core/MemoryBuffer_t.h"
#include "engine/io/FileArchive.h"
#include "engine/sound/SoundManager.h"

namespace ZQ2 {

const RTTI* const Sound::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI Sound::rtti("Sound", Sound::rttis);

namespace {
constexpr float kSmall = 0.001f;
}  // namespace

Sound::Sound(float volume, float panning, float pitch) : m_fVolume(volume), m_fPanning(panning), m_fPitch(pitch) {}

Sound::~Sound() { FreeSample(); }

void Sound::FreeSample() {
    // A sample outliving the sound system went with it.
    if (m_pSample && SoundManager::g_AudioAvailable)
        AUSND_Sample_Free(m_pSample);
    m_pSample = nullptr;
}

int Sound::LoadSample(const std::string& file, eArchiveType type, unsigned int mode) {
    if (!SoundManager::g_AudioAvailable)
        return 0;
    FreeSample();
    if (type == ARCHIVE_DEFAULT)
        type = FileArchive::GetArchiveType();
    mode |= MODE_2D;
    if (type == ARCHIVE_FILE) {
        m_nMode = mode;
        m_pSample = AUSND_Sample_Load(-1, file.c_str(), mode, 0, 0);
        return m_pSample ? 0 : -1;
    }
    // The resource's own type decides where the bytes come from, so an
    // enciphered file is deciphered even when the archive's type differs.
    MemoryBuffer_t<unsigned char> bytes;
    if (!FileArchive::LoadFile(file, &bytes, type) || !bytes.GetData())
        return -1;
    m_nMode = mode | MODE_MEMORY;
    m_pSample = AUSND_Sample_Load(-1, reinterpret_cast<const char*>(bytes.GetData()), m_nMode, 0, bytes.GetSize());
    return m_pSample ? 0 : -1;
}

int Sound::PlaySample(float volume, float pan, float pitch, bool loop) {
    if (!SoundManager::g_AudioAvailable || !m_pSample)
        return -1;
    const float v = std::clamp(volume * m_fVolume, 0.0f, 1.0f);
    const float p = std::clamp(pan * m_fPanning, -1.0f, 1.0f);
    const float f = pitch * m_fPitch;
    AUSND_Sample_SetMode(m_pSample, loop ? 2 : 1);
    if (std::fabs(v - 1.0f) <= kSmall && std::fabs(p) <= kSmall && std::fabs(f - 1.0f) <= kSmall)
        return AUSND_PlaySound(-1, m_pSample);
    int frequency = 44100;
    AUSND_Sample_GetDefaults(m_pSample, &frequency, nullptr, nullptr, nullptr);
    const double scaled = std::clamp(std::trunc(static_cast<double>(frequency) * f), 100.0, 705600.0);
    const int channel = AUSND_PlaySoundEx(-1, m_pSample, nullptr, 1);
    if (channel < 0)
        return channel;
    AUSND_SetVolume(channel, SoundManager::ToLevel(v));
    AUSND_SetPan(channel, std::clamp(static_cast<int>(p * 127.0f + 128.0f), 0, 255));
    AUSND_SetFrequency(channel, static_cast<int>(scaled));
    AUSND_SetPaused(channel, false);
    return channel;
}

unsigned int Sound::GetLength() const {
    if (!SoundManager::g_AudioAvailable || !m_pSample)
        return 0;
    int rate = 0;
    AUSND_Sample_GetDefaults(m_pSample, &rate, nullptr, nullptr, nullptr);
    if (rate <= 0)
        return 0;
    const uint64_t frames = AUSND_Sample_GetLength(m_pSample);
    return static_cast<unsigned int>(frames * 1000 / static_cast<uint64_t>(rate));
}

}  // namespace ZQ2
