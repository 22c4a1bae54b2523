#include "engine/core/UTF8Iterator.h"

namespace ZQ2 {

UTF8Iterator::UTF8Iterator(const UTF8String& text, int start) : m_String(text) {
    if (start < 1) {
        m_nCurrent = ReadAt(0);
        return;
    }
    for (int k = 0; k < start && IsInside(); ++k)
        Next();
}

unsigned long UTF8Iterator::ReadAt(int bytePos) const {
    if (bytePos < 0 || bytePos >= static_cast<int>(m_String.size()))
        return 0;
    return UTF8String::ConvertUTF8StringToUTF32Character(m_String, bytePos);
}

// Steps to the next character start rather than by the lead byte's length,
// so a cut-off sequence never hides the character after it and the index
// stays in step with GetTextPosition.
unsigned long UTF8Iterator::Next() {
    const int size = static_cast<int>(m_String.size());
    if (m_nPosition >= size)
        return m_nCurrent;
    if (m_nPosition < 0) {
        m_nPosition = 0;
        m_nIndex = 0;
    } else {
        m_nPosition = m_String.GetNextBufferPosition(m_nPosition);
        ++m_nIndex;
    }
    m_nCurrent = ReadAt(m_nPosition);
    return m_nCurrent;
}

unsigned long UTF8Iterator::Prev() {
    if (m_nPosition < 0)
        return m_nCurrent;
    m_nPosition = m_String.GetPreviousBufferPosition(m_nPosition);
    --m_nIndex;
    m_nCurrent = ReadAt(m_nPosition);
    return m_nCurrent;
}

bool UTF8Iterator::HasNext() const {
    if (!IsInside())
        return false;
    return m_String.GetNextBufferPosition(m_nPosition) < static_cast<int>(m_String.size());
}

unsigned long UTF8Iterator::ReadNext() const {
    if (!IsInside())
        return 0;
    return ReadAt(m_String.GetNextBufferPosition(m_nPosition));
}

int UTF8Iterator::GetNumBytesToAdd() const {
    if (!IsInside())
        return 1;
    return UTF8String::GetNumBytesToAdd(static_cast<unsigned char>(m_String[m_nPosition]));
}

}  // namespace ZQ2
