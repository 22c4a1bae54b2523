// Decodes the input as IMA ADPCM blocks with a block layout taken from its
// first bytes, as the WAV reader and the sample converter do.
#include "aulos/format_imaadpcm.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 5)
        return 0;
    const int channels = 1 + (data[0] & 1);
    const int blockAlign = data[1] | (data[2] << 8);
    const int samplesPerBlock = data[3] | (data[4] << 8);
    data += 5;
    size -= 5;
    if (!AUSND_IMAAdpcm_BlockFits(blockAlign, samplesPerBlock, channels))
        return 0;
    const int blocks = static_cast<int>(size / static_cast<size_t>(blockAlign));
    std::vector<int16_t> out(static_cast<size_t>(blocks) * static_cast<size_t>(samplesPerBlock) *
                             static_cast<size_t>(channels));
    if (channels == 1)
        AUSND_IMAAdpcm_DecodeM16(data, out.data(), blocks, blockAlign, samplesPerBlock, 1);
    else
        AUSND_IMAAdpcm_DecodeS16(data, out.data(), blocks, blockAlign, samplesPerBlock);
    return 0;
}
