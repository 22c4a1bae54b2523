// Feeds the input to the layer II and III decoders as a run of frames: each
// is decoded from where the previous one ended, so side information, the
// reservoir, scale factors and Huffman data all come from the input.
#include "aulos/format_mpeg.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4 || size > (1u << 16))
        return 0;
    AUSND_Mpeg_Init();
    AUSND_MPEG* mp = AUSND_Mpeg_Alloc();
    std::vector<int16_t> pcm(2304);
    size_t at = 0;
    while (at + 4 <= size)
    {
        int frameSize = 0;
        if (!AUSND_Mpeg_DecodeHeader(mp, data + at, nullptr, nullptr, &frameSize))
        {
            ++at;
            continue;
        }
        uint32_t bytes = 0;
        AUSND_Mpeg_DecodeFrame(mp, data + at, static_cast<uint32_t>(size - at), pcm.data(), &bytes);
        at += 4 + static_cast<size_t>(frameSize);
    }
    AUSND_Mpeg_Close(mp);
    return 0;
}
