// Arbitrary bytes as compressed IT sample data: the first byte picks 8 or 16
// bits and the 2.14 or 2.15 variant, the next two the sample count.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "aulos/aumus.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3 || size > (1u << 20))
        return 0;
    const bool sixteen = (data[0] & 1) != 0;
    const bool it215 = (data[0] & 2) != 0;
    const int count = (data[1] | (data[2] << 8)) * ((data[0] & 4) ? 4 : 1);
    const uint8_t* src = data + 3;
    const uint32_t srclen = static_cast<uint32_t>(size - 3);
    if (sixteen) {
        std::vector<int16_t> out(static_cast<size_t>(count));
        AUMUS_IT_Decompress16(src, srclen, out.data(), count, it215);
    } else {
        std::vector<int8_t> out(static_cast<size_t>(count));
        AUMUS_IT_Decompress8(src, srclen, out.data(), count, it215);
    }
    return 0;
}
