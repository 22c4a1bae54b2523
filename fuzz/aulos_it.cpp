// Arbitrary bytes as an IT module: header, instruments, plain and compressed
// samples, packed patterns and their play.
#include "fuzz/AulosMusicFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PlayFuzzedSong(data, size, 0, "IMPM", 4);
    return 0;
}
