// Arbitrary bytes as a MOD module: header, patterns, samples and their play.
#include "fuzz/AulosMusicFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PlayFuzzedSong(data, size, 1080, "M.K.", 4);
    return 0;
}
