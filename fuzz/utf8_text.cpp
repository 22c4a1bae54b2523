// Feeds arbitrary bytes through the UTF-8 text type, the iterator, the case
// conversion and the byte-string helpers, checking that positions agree.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/core/CaseConversion.h"
#include "engine/core/UTF8Iterator.h"
#include "engine/core/UTF8String.h"
#include "engine/core/Utils.h"

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace ZQ2;
    if (size > 4096)
        return 0;
    // The first byte picks a few numbers; the rest is the text. Copying into
    // an exact-size buffer lets the sanitizer see any read past the end.
    const int pick = size > 0 ? data[0] : 0;
    const std::string bytes(reinterpret_cast<const char*>(data) + (size > 0 ? 1 : 0), size > 0 ? size - 1 : 0);
    const UTF8String text(bytes);

    const int length = text.Length();
    Check(length >= 0 && length <= static_cast<int>(text.size()));
    Check(text.GetBufferPosition(length) == static_cast<int>(text.size()));
    for (int index = 0; index < length; ++index) {
        const int pos = text.GetBufferPosition(index);
        Check(text.GetTextPosition(pos) == index);
        text.GetCharacter(index);
        UTF8String::ConvertUTF8StringToUTF32Character(text, pos);
    }

    UTF8Iterator forward(text, 0);
    int steps = 0;
    for (; forward.IsInside(); forward.Next()) {
        Check(forward.GetIndex() == steps);
        forward.HasNext();
        forward.ReadNext();
        forward.GetNumBytesToAdd();
        ++steps;
    }
    Check(steps == length);
    while (forward.GetPosition() >= 0)
        forward.Prev();
    Check(forward.GetIndex() == -1);
    UTF8Iterator partway(text, pick % 8);
    partway.Prev();
    partway.Next();

    const int start = pick % 5;
    const int count = pick / 5 % 7;
    const UTF8String part = text.SubString(start, count);
    Check(part.Length() <= count);
    const UTF8String separator = part.SubString(0, 1);
    text.Find(separator, start);
    text.IndexOf(text.GetCharacter(start));
    text.FindFirstOfSet(separator, start);
    text.FindLastOfSet(separator, length);

    ZQVector<UTF8String> pieces;
    text.SplitInto(pieces, separator, pick & 1);

    UTF8String edited(text);
    edited.TrimWhiteSpace(true, true);
    edited.Trim(separator, pick & 2, pick & 4);
    edited.Insert(start, part);
    edited.SetCharacter(count, 0x20AC);
    edited.Replace(separator, "\xC3\xA9", true);
    edited.Erase(start, count);
    edited.Truncate(count * 3);
    Check(edited.Length() == UTF8String(static_cast<const std::string&>(edited)).Length());

    ToUppercase(text);
    ToLowercase(text);

    std::string copy = bytes;
    Utils::ParseInt(copy);
    Utils::TrimString(copy, " \t", true, true);
    Utils::Replace(copy, "a", "aa", true);
    ZQVector<std::string> split;
    Utils::SplitString(bytes, split, separator, pick & 8);
    return 0;
}
