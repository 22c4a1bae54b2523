// Feeds arbitrary data texts to the text formatter. The first byte says what
// the caller passes (two bits a value: none, an int or a word; up to four
// values, each int taken from the next four bytes), the rest is the text. It
// must never crash, a text without '%' must come back as it is, and the
// result can grow by no more than what the values and their padding bring.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "source/utils/TextFormat.h"

namespace {

constexpr int kMaxValues = 4;
// Widths and precisions have at most two digits; an int shows in eleven.
constexpr size_t kMaxShown = 99 + 11;
// A word that would itself be a hostile text.
const char* const kWord = "Zo\xC3\xAB%s%n";

int ReadInt(const uint8_t*& data, size_t& size) {
    uint32_t bits = 0;
    for (int i = 0; i < 4 && size > 0; ++i, ++data, --size)
        bits |= static_cast<uint32_t>(*data) << (8 * i);
    return static_cast<int>(bits);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const unsigned kinds = *data++;
    --size;
    int ints[kMaxValues] = {};
    for (int i = 0; i < kMaxValues; ++i)
        if (((kinds >> (2 * i)) & 3) == 1)
            ints[i] = ReadInt(data, size);
    const std::string text(reinterpret_cast<const char*>(data), size);
    TextFormat format(text);
    size_t values = 0;
    for (int i = 0; i < kMaxValues; ++i) {
        const unsigned kind = (kinds >> (2 * i)) & 3;
        if (kind == 1)
            format.Int(ints[i]);
        else if (kind == 2)
            format.Str(kWord);
        values += kind == 1 || kind == 2 ? 1 : 0;
    }
    const std::string shown = format.ToString();
    if (text.find('%') == std::string::npos && shown != text)
        std::abort();
    if (shown.size() > text.size() + values * (kMaxShown + std::strlen(kWord)))
        std::abort();
    const std::string exact = format.ToStringOr(std::string());
    if (!exact.empty() && exact != shown)
        std::abort();
    return 0;
}
