// Arbitrary bytes as an XM module: header, packed patterns, instruments with
// envelopes, delta samples and their play.
#include "fuzz/AulosMusicFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PlayFuzzedSong(data, size, 0, "Extended Module: ", 17);
    return 0;
}
