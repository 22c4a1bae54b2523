// Feeds arbitrary total texts to the high-score formatting: the first four
// bytes are the score, the rest the text. It must never crash, and a text it
// refuses must show the bare score.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "source/dialogs/DialogHighScore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4)
        return 0;
    const uint32_t bits = static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
                          static_cast<uint32_t>(data[2]) << 16 | static_cast<uint32_t>(data[3]) << 24;
    const int score = static_cast<int>(bits);
    const std::string format(reinterpret_cast<const char*>(data + 4), size - 4);
    const std::string shown = FormatHighScoreTotal(format, score);
    if (shown.find(std::to_string(score < 0 ? -(score / 10) : score / 10)) == std::string::npos && score / 10 != 0)
        std::abort();
    return 0;
}
