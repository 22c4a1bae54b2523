// Arbitrary bytes as a sound bank played as a song: headers, sounds and their play.
#include "fuzz/AulosMusicFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PlayFuzzedSong(data, size, 0, "ASB3", 4);
    return 0;
}
