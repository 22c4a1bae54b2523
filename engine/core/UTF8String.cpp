#include "engine/core/UTF8String.h"

#include <climits>

namespace ZQ2 {

namespace {

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// start + count without overflow; both are not negative.
int EndIndex(int start, int count) {
    return count > INT_MAX - start ? INT_MAX : start + count;
}

// The set of blank, tab, en space and no-break space.
const UTF8String& WhiteSpaceSet() {
    static const UTF8String set("\x20\x09\xE2\x80\x82\xC2\xA0");
    return set;
}

}  // namespace

UTF8String::UTF8String(const std::string& text) : std::string(text), m_bDirty(!text.empty()) {}

UTF8String::UTF8String(std::string&& text) : std::string(std::move(text)), m_bDirty(!empty()) {}

UTF8String::UTF8String(const char* text) : std::string(text ? text : ""), m_bDirty(true) {}

UTF8String::UTF8String(const char* bytes, size_t count) : std::string(bytes, count), m_bDirty(true) {}

UTF8String::UTF8String(unsigned long codePoint) {
    Append(codePoint);
}

UTF8String& UTF8String::operator=(const std::string& text) {
    std::string::operator=(text);
    return MarkDirty();
}

UTF8String& UTF8String::operator=(std::string&& text) {
    std::string::operator=(std::move(text));
    return MarkDirty();
}

UTF8String& UTF8String::operator=(const char* text) {
    std::string::operator=(text ? text : "");
    return MarkDirty();
}

// ---- Conversions ----------------------------------------------------------

unsigned long UTF8String::ConvertUTF8StringToUTF32Character(const std::string& text, int bytePos) {
    const int size = static_cast<int>(text.size());
    // Bytes outside the text, and past its end in a cut-off sequence, read as 0.
    auto byteAt = [&](int i) -> unsigned long {
        return i >= 0 && i < size ? static_cast<unsigned char>(text[i]) : 0;
    };
    const unsigned long lead = byteAt(bytePos);
    const int count = GetNumBytesToAdd(static_cast<unsigned char>(lead));
    if (count == 1)
        return lead;
    static const unsigned long kLeadMask[5] = {0, 0, 0x1F, 0x0F, 0x07};
    unsigned long codePoint = lead & kLeadMask[count];
    for (int k = 1; k < count; ++k)
        codePoint = (codePoint << 6) | (byteAt(bytePos + k) & 0x3F);
    return codePoint;
}

unsigned int UTF8String::ConvertUTF32CharacterToIntegerComposite(unsigned long codePoint) {
    const std::string bytes = ConvertUTF32CharacterToUTF8String(codePoint);
    if (bytes.empty())
        return 0;
    unsigned int composite = 0;
    for (unsigned char byte : bytes)
        composite = (composite << 8) | byte;
    return composite;
}

std::string UTF8String::ConvertUTF32CharacterToUTF8String(unsigned long codePoint) {
    std::string out;
    if (codePoint <= 0x7F) {
        out += static_cast<char>(codePoint);
    } else if (codePoint <= 0x7FF) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint <= 0xFFFF) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint <= 0x1FFFFF) {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
    return out;
}

int UTF8String::GetNumBytesToAdd(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 1;
}

bool UTF8String::IsUTF8StartByte(int bytePos) const {
    return bytePos >= 0 && bytePos < ByteSize() && !IsContinuation(static_cast<unsigned char>((*this)[bytePos]));
}

// ---- Positions --------------------------------------------------------------

// Byte 0 always starts a character, so stray continuation bytes at the front
// still count as one and every byte belongs to exactly one character.
bool UTF8String::IsStart(int bytePos) const {
    return bytePos == 0 || IsUTF8StartByte(bytePos);
}

int UTF8String::GetNextBufferPosition(int bytePos) const {
    const int size = ByteSize();
    int pos = bytePos < 0 ? 0 : bytePos + 1;
    while (pos < size && !IsStart(pos))
        ++pos;
    return pos < size ? pos : size;
}

int UTF8String::GetBufferPosition(int charIndex) const {
    if (charIndex <= 0)
        return 0;
    const int size = ByteSize();
    int index = -1;
    for (int pos = 0; pos < size; ++pos) {
        if (IsStart(pos) && ++index == charIndex)
            return pos;
    }
    return size;
}

int UTF8String::GetTextPosition(int bytePos) const {
    if (bytePos < 0)
        return -1;
    const int end = bytePos < ByteSize() ? bytePos : ByteSize();
    int count = 0;
    for (int pos = 0; pos < end; ++pos) {
        if (IsStart(pos))
            ++count;
    }
    return count;
}

int UTF8String::GetPreviousBufferPosition(int bytePos) const {
    int pos = bytePos - 1;
    if (pos > ByteSize() - 1)
        pos = ByteSize() - 1;
    while (pos >= 0 && !IsStart(pos))
        --pos;
    return pos;
}

int UTF8String::Length() const {
    if (!m_bDirty)
        return m_nLength;
    m_nLength = GetTextPosition(ByteSize());
    m_bDirty = false;
    return m_nLength;
}

// ---- Reading and search -----------------------------------------------------

unsigned long UTF8String::GetCharacter(int index) const {
    if (index < 0)
        return 0;
    return ConvertUTF8StringToUTF32Character(*this, GetBufferPosition(index));
}

int UTF8String::Find(const std::string& text, int from) const {
    const size_t found = find(text, static_cast<size_t>(GetBufferPosition(from)));
    return found == npos ? -1 : GetTextPosition(static_cast<int>(found));
}

int UTF8String::IndexOf(unsigned long codePoint) const {
    const int size = ByteSize();
    for (int pos = 0, index = 0; pos < size; pos = GetNextBufferPosition(pos), ++index) {
        if (ConvertUTF8StringToUTF32Character(*this, pos) == codePoint)
            return index;
    }
    return -1;
}

int UTF8String::FindFirstOfSet(const UTF8String& set, int from) const {
    if (from < 0)
        from = 0;
    const int size = ByteSize();
    for (int pos = GetBufferPosition(from), index = from; pos < size; pos = GetNextBufferPosition(pos), ++index) {
        if (set.IndexOf(ConvertUTF8StringToUTF32Character(*this, pos)) >= 0)
            return index;
    }
    return -1;
}

int UTF8String::FindLastOfSet(const UTF8String& set, int from) const {
    const int length = Length();
    if (from >= length)
        from = length - 1;
    if (from < 0)
        return -1;
    for (int pos = GetBufferPosition(from), index = from; pos >= 0; pos = GetPreviousBufferPosition(pos), --index) {
        if (set.IndexOf(ConvertUTF8StringToUTF32Character(*this, pos)) >= 0)
            return index;
    }
    return -1;
}

UTF8String UTF8String::SubString(int start, int count) const {
    if (start < 0)
        start = 0;
    const int first = GetBufferPosition(start);
    if (first >= ByteSize())
        return UTF8String();
    const int last = count < 0 ? ByteSize() : GetBufferPosition(EndIndex(start, count));
    return UTF8String(substr(static_cast<size_t>(first), static_cast<size_t>(last - first)));
}

UTF8String UTF8String::operator+(const std::string& right) const {
    UTF8String out(*this);
    return out.Append(right);
}

UTF8String UTF8String::operator+(const char* right) const {
    UTF8String out(*this);
    return out.Append(std::string(right ? right : ""));
}

// ---- Changes ------------------------------------------------------------------

UTF8String& UTF8String::Append(const std::string& text) {
    std::string::append(text);
    return MarkDirty();
}

UTF8String& UTF8String::Append(unsigned long codePoint) {
    return Append(ConvertUTF32CharacterToUTF8String(codePoint));
}

UTF8String& UTF8String::Insert(int index, const std::string& text) {
    std::string::insert(static_cast<size_t>(GetBufferPosition(index)), text);
    return MarkDirty();
}

UTF8String& UTF8String::Erase(int start, int count) {
    if (count <= 0)
        return *this;
    if (start < 0)
        start = 0;
    const int first = GetBufferPosition(start);
    const int last = GetBufferPosition(EndIndex(start, count));
    std::string::erase(static_cast<size_t>(first), static_cast<size_t>(last - first));
    return MarkDirty();
}

UTF8String& UTF8String::Truncate(int count) {
    std::string::resize(static_cast<size_t>(GetBufferPosition(count)));
    return MarkDirty();
}

// Replaces the character's bytes up to the next character start, so a cut-off
// sequence never swallows the character after it and the count stays right.
UTF8String& UTF8String::SetCharacter(int index, unsigned long codePoint) {
    if (index < 0)
        return *this;
    const int first = GetBufferPosition(index);
    if (first >= ByteSize())
        return *this;
    const std::string bytes = ConvertUTF32CharacterToUTF8String(codePoint);
    std::string::replace(static_cast<size_t>(first), static_cast<size_t>(GetNextBufferPosition(first) - first), bytes);
    if (bytes.empty())
        m_bDirty = true;
    return *this;
}

UTF8String& UTF8String::Replace(const std::string& find, const std::string& with, bool all) {
    if (find.empty())
        return *this;
    size_t pos = 0;
    while ((pos = std::string::find(find, pos)) != npos) {
        std::string::replace(pos, find.size(), with);
        m_bDirty = true;
        if (!all)
            break;
        pos += with.size();
    }
    return *this;
}

bool UTF8String::Trim(const UTF8String& set, bool left, bool right) {
    const int size = ByteSize();
    int first = -1;
    int last = -1;
    int count = 0;
    bool anyKept = false;
    for (int pos = 0; pos < size; pos = GetNextBufferPosition(pos), ++count) {
        if (set.IndexOf(ConvertUTF8StringToUTF32Character(*this, pos)) >= 0)
            continue;
        anyKept = true;
        if (left && first < 0)
            first = count;
        if (right)
            last = count;
    }
    if (!anyKept) {
        if (empty())
            return false;
        clear();
        return true;
    }
    if (!left)
        first = 0;
    if (!right)
        last = count - 1;
    if (first == 0 && last == count - 1)
        return false;
    *this = SubString(first, last - first + 1);
    return true;
}

bool UTF8String::TrimWhiteSpace(bool left, bool right) {
    return Trim(WhiteSpaceSet(), left, right);
}

void UTF8String::SplitInto(ZQVector<UTF8String>& out, const UTF8String& separator, bool keepEmpty) const {
    if (separator.empty()) {
        if (!empty())
            out.push_back(*this);
        return;
    }
    size_t start = 0;
    size_t found;
    while ((found = find(separator, start)) != npos) {
        if (found > start || keepEmpty)
            out.push_back(UTF8String(substr(start, found - start)));
        start = found + separator.size();
    }
    if (start < size())
        out.push_back(UTF8String(substr(start)));
}

// ---- Namespace-level concatenation -------------------------------------------

UTF8String operator+(const char* left, const std::string& right) {
    UTF8String out(left);
    return out.Append(right);
}

UTF8String operator+(std::string left, const std::string& right) {
    UTF8String out(std::move(left));
    return out.Append(right);
}

}  // namespace ZQ2
