#pragma once
// Walks a UTF8String character by character, forwards and backwards.
// Keeps a reference: the string must outlive the iterator and stay unchanged.

#include "engine/core/UTF8String.h"

namespace ZQ2 {

class UTF8Iterator {
public:
    UTF8Iterator(const UTF8String& text, int start = 0);

    unsigned long Next();
    unsigned long Prev();
    bool HasNext() const;
    unsigned long ReadNext() const;
    int GetNumBytesToAdd() const;

    // Byte position (-1 before the start), character index, current code
    // point (0 outside the text).
    int GetPosition() const { return m_nPosition; }
    int GetIndex() const { return m_nIndex; }
    unsigned long GetCurrent() const { return m_nCurrent; }
    bool IsInside() const { return m_nPosition >= 0 && m_nPosition < static_cast<int>(m_String.size()); }

private:
    unsigned long ReadAt(int bytePos) const;

    const UTF8String& m_String;
    int m_nPosition = 0;
    int m_nIndex = 0;
    unsigned long m_nCurrent = 0;
};

}  // namespace ZQ2
