// Arbitrary bytes as an S3M module: header, packed patterns, samples and their play.
#include "fuzz/AulosMusicFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PlayFuzzedSong(data, size, 44, "SCRM", 4);
    return 0;
}
