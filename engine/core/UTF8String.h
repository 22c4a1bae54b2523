#pragma once
// UTF-8 text: a byte string that also answers in characters (code points).
// A character starts at byte 0 and at every lead byte (a byte whose two top
// bits are not 10); its bytes run to the next start. The character count is
// cached behind a dirty flag because text layout asks for it repeatedly.

#include <string>
#include <utility>

#include "engine/core/ZQVector.h"

namespace ZQ2 {

class UTF8String : public std::string {
public:
    UTF8String() = default;
    UTF8String(const std::string& text);
    UTF8String(std::string&& text);
    UTF8String(const char* text);
    UTF8String(const char* bytes, size_t count);
    explicit UTF8String(unsigned long codePoint);
    UTF8String(const UTF8String&) = default;
    UTF8String(UTF8String&&) = default;
    UTF8String& operator=(const UTF8String&) = default;
    UTF8String& operator=(UTF8String&&) = default;
    UTF8String& operator=(const std::string& text);
    UTF8String& operator=(std::string&& text);
    UTF8String& operator=(const char* text);

    // Code point and byte conversions.
    static unsigned long ConvertUTF8StringToUTF32Character(const std::string& text, int bytePos);
    static unsigned int ConvertUTF32CharacterToIntegerComposite(unsigned long codePoint);
    static std::string ConvertUTF32CharacterToUTF8String(unsigned long codePoint);
    static int GetNumBytesToAdd(unsigned char lead);
    bool IsUTF8StartByte(int bytePos) const;

    // Positions.
    int GetBufferPosition(int charIndex) const;
    int GetTextPosition(int bytePos) const;
    int GetPreviousBufferPosition(int bytePos) const;
    // Byte offset of the character start after bytePos, or the byte length.
    int GetNextBufferPosition(int bytePos) const;
    int Length() const;

    // Reading and search; character positions, -1 for not found.
    unsigned long GetCharacter(int index) const;
    int Find(const std::string& text, int from = 0) const;
    int IndexOf(unsigned long codePoint) const;
    int FindFirstOfSet(const UTF8String& set, int from = 0) const;
    int FindLastOfSet(const UTF8String& set, int from) const;
    // A negative count takes the rest of the text.
    UTF8String SubString(int start, int count = -1) const;
    UTF8String operator+(const std::string& right) const;
    UTF8String operator+(const char* right) const;

    // Changes.
    UTF8String& Append(const std::string& text);
    UTF8String& Append(unsigned long codePoint);
    UTF8String& Insert(int index, const std::string& text);
    UTF8String& Erase(int start, int count);
    UTF8String& Truncate(int count);
    UTF8String& SetCharacter(int index, unsigned long codePoint);
    UTF8String& Replace(const std::string& find, const std::string& with, bool all = true);
    bool Trim(const UTF8String& set, bool left = true, bool right = true);
    bool TrimWhiteSpace(bool left = true, bool right = true);
    void SplitInto(ZQVector<UTF8String>& out, const UTF8String& separator, bool keepEmpty = false) const;

    // The byte string's own mutators, marking the cached length stale.
    // Bytes written through operator[], data() or iterators are not seen:
    // call MarkDirty() after such writes.
    template <class... A> UTF8String& append(A&&... a) { std::string::append(std::forward<A>(a)...); return MarkDirty(); }
    template <class... A> UTF8String& assign(A&&... a) { std::string::assign(std::forward<A>(a)...); return MarkDirty(); }
    template <class A> UTF8String& operator+=(A&& a) { std::string::operator+=(std::forward<A>(a)); return MarkDirty(); }
    template <class... A> decltype(auto) insert(A&&... a) { MarkDirty(); return std::string::insert(std::forward<A>(a)...); }
    template <class... A> decltype(auto) erase(A&&... a) { MarkDirty(); return std::string::erase(std::forward<A>(a)...); }
    template <class... A> decltype(auto) replace(A&&... a) { MarkDirty(); return std::string::replace(std::forward<A>(a)...); }
    template <class... A> void resize(A&&... a) { std::string::resize(std::forward<A>(a)...); MarkDirty(); }
    void push_back(char c) { std::string::push_back(c); MarkDirty(); }
    void pop_back() { std::string::pop_back(); MarkDirty(); }
    void clear() { std::string::clear(); MarkDirty(); }
    void swap(UTF8String& other) { std::string::swap(other); std::swap(m_bDirty, other.m_bDirty); std::swap(m_nLength, other.m_nLength); }
    UTF8String& MarkDirty() { m_bDirty = true; return *this; }

private:
    bool IsStart(int bytePos) const;
    int ByteSize() const { return static_cast<int>(size()); }

    mutable bool m_bDirty = false;
    mutable int m_nLength = 0;
};

// Concatenations of byte strings that answer UTF-8 text.
UTF8String operator+(const char* left, const std::string& right);
UTF8String operator+(std::string left, const std::string& right);

}  // namespace ZQ2
