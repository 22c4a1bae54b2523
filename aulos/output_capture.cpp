// The capture output: mixes one block per AUSND_Update like the non-real-time
// no-sound output, and keeps every block so that its exact frames can be read
// back or written out as a WAV file.
#include "aulos/ausnd_device.h"

#include <cstdio>
#include <vector>

namespace
{
std::vector<int16_t> g_Frames;
int g_nChannels = 2;

bool EnumerateDrivers()
{
    return AUSND_Output_SetSingleDriver("Capture Driver");
}

bool Initialize(int /*mixrate*/)
{
    AUSND_Device* dev = AUSND_CurrentDevice;
    EnumerateDrivers();
    dev->hw3dchannels = 0;
    dev->hw2dchannels = 0;
    g_Frames.clear();
    const bool mono = dev->mixertype == AUSND_MIXER_MONO || dev->mixertype == AUSND_MIXER_QUALITY_MONO;
    g_nChannels = mono ? 1 : 2;
    return true;
}

bool Update()
{
    const int16_t* block = AUSND_Output_MixNextBlock();
    if (!block)
        return true;
    const size_t values = static_cast<size_t>(AUSND_CurrentDevice->blocklength) * g_nChannels;
    g_Frames.insert(g_Frames.end(), block, block + values);
    return true;
}

void PutLE(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
} // namespace

const int16_t* AUSND_Capture_GetData(unsigned int* numframes)
{
    if (numframes)
        *numframes = static_cast<unsigned int>(g_Frames.size() / g_nChannels);
    return g_Frames.data();
}

int AUSND_Capture_GetChannels()
{
    return g_nChannels;
}

void AUSND_Capture_Clear()
{
    g_Frames.clear();
}

bool AUSND_Capture_WriteWAV(const char* filename)
{
    if (!filename)
    {
        AUSND_ErrorNo = AUSND_ERR_INVALID_PARAM;
        return false;
    }
    const uint32_t rate = static_cast<uint32_t>(AUSND_CurrentDevice->mixrate);
    const uint32_t channels = static_cast<uint32_t>(g_nChannels);
    const uint32_t databytes = static_cast<uint32_t>(g_Frames.size() * 2);
    std::vector<uint8_t> header;
    header.insert(header.end(), {'R', 'I', 'F', 'F'});
    PutLE(header, 36 + databytes, 4);
    header.insert(header.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    PutLE(header, 16, 4);
    PutLE(header, 1, 2); // PCM
    PutLE(header, channels, 2);
    PutLE(header, rate, 4);
    PutLE(header, rate * channels * 2, 4);
    PutLE(header, channels * 2, 2);
    PutLE(header, 16, 2);
    header.insert(header.end(), {'d', 'a', 't', 'a'});
    PutLE(header, databytes, 4);
    for (int16_t value : g_Frames)
        PutLE(header, static_cast<uint16_t>(value), 2);

    std::FILE* file = std::fopen(filename, "wb");
    if (!file)
    {
        AUSND_ErrorNo = AUSND_ERR_FILE_NOTFOUND;
        return false;
    }
    const bool written = std::fwrite(header.data(), 1, header.size(), file) == header.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed)
    {
        AUSND_ErrorNo = AUSND_ERR_FILE_BAD;
        return false;
    }
    return true;
}

// Reverb and recording do not exist here: they behave as without sound.
AUSND_OUTPUT AUSND_Output_Capture = {
    0,
    0,
    0,
    EnumerateDrivers,
    Initialize,
    AUSND_Output_NoSound_Close,
    AUSND_Output_SetBufferSampleFunctions,
    AUSND_Output_NoSound_SetChannelFunctions,
    AUSND_Output_NoSound_GetCaps,
    AUSND_Output_NoSound_GetHandle,
    AUSND_Output_NoSound_SetSpeakerMode,
    Update,
    AUSND_Output_NoSound_Reverb_Initialize,
    AUSND_Output_NoSound_Reverb_SetProperties,
    AUSND_Output_NoSound_Reverb_GetProperties,
    AUSND_Output_NoSound_Record_EnumerateDrivers,
    AUSND_Output_NoSound_Record_Initialize,
    AUSND_Output_NoSound_Record_Start,
    AUSND_Output_NoSound_Record_Stop,
    AUSND_Output_NoSound_Record_GetCurrentPosition,
    AUSND_Output_NoSound_Record_Lock,
    AUSND_Output_NoSound_Record_Unlock,
};
