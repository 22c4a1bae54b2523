#include "engine/core/String.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <sstream>
#include <utility>

namespace ZQ2 {

namespace {

template <class T>
String StreamText(const T& value) {
    std::ostringstream stream;
    stream << value;
    const std::string text = stream.str();
    return String(text.c_str(), static_cast<int>(text.size()));
}

int Clamp(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

}  // namespace

String::String() { Assign("", 0); }

String::String(const char* text) {
    if (!text)
        text = "";
    Assign(text, static_cast<int>(std::strlen(text)));
}

String::String(const char* text, int length) {
    if (!text || length < 0)
        length = 0;
    Assign(text ? text : "", length);
}

String::String(char c) { Assign(&c, 1); }

String::String(int value) : String(StreamText(value)) {}

String::String(long value) : String(StreamText(value)) {}

String::String(unsigned long value) : String(StreamText(value)) {}

String::String(const String& other) { Assign(other.c_str(), other.m_nLength); }

String::String(String&& other) noexcept
    : m_pText(std::exchange(other.m_pText, nullptr)),
      m_nCapacity(std::exchange(other.m_nCapacity, 0)),
      m_nLength(std::exchange(other.m_nLength, 0)) {}

String::~String() { std::free(m_pText); }

String& String::operator=(const String& other) {
    if (this != &other) {
        m_nLength = 0;
        Append(other.c_str(), other.m_nLength);
    }
    return *this;
}

String& String::operator=(String&& other) noexcept {
    if (this != &other) {
        std::free(m_pText);
        m_pText = std::exchange(other.m_pText, nullptr);
        m_nCapacity = std::exchange(other.m_nCapacity, 0);
        m_nLength = std::exchange(other.m_nLength, 0);
    }
    return *this;
}

String& String::operator+=(const String& other) {
    if (&other == this) {
        const String copy(other);
        Append(copy.c_str(), copy.m_nLength);
    } else {
        Append(other.c_str(), other.m_nLength);
    }
    return *this;
}

String& String::operator+=(char c) {
    Append(&c, 1);
    return *this;
}

String& String::operator+=(int value) { return *this += StreamText(value); }

String& String::operator+=(long long value) { return *this += StreamText(value); }

String& String::operator+=(double value) { return *this += StreamText(value); }

int String::compareTo(const String& other) const {
    const int common = m_nLength < other.m_nLength ? m_nLength : other.m_nLength;
    const int order = std::memcmp(c_str(), other.c_str(), static_cast<size_t>(common));
    if (order != 0)
        return order < 0 ? -1 : 1;
    if (m_nLength == other.m_nLength)
        return 0;
    return m_nLength < other.m_nLength ? -1 : 1;
}

bool String::equalsIgnoreCase(const String& other) const { return toLowerCase() == other.toLowerCase(); }

char String::charAt(int i) const {
    if (i < 0 || i >= m_nLength)
        return 0;
    return c_str()[i];
}

int String::indexOf(char c, int from) const {
    for (int i = from < 0 ? 0 : from; i < m_nLength; ++i) {
        if (c_str()[i] == c)
            return i;
    }
    return -1;
}

int String::indexOf(const String& s, int from) const {
    from = from < 0 ? 0 : from;
    for (int i = from; i + s.m_nLength <= m_nLength; ++i) {
        if (std::memcmp(c_str() + i, s.c_str(), static_cast<size_t>(s.m_nLength)) == 0)
            return i;
    }
    return -1;
}

int String::lastIndexOf(char c, int from) const {
    for (int i = from >= m_nLength ? m_nLength - 1 : from; i >= 0; --i) {
        if (c_str()[i] == c)
            return i;
    }
    return -1;
}

int String::lastIndexOf(const String& s, int from) const {
    const int last = m_nLength - s.m_nLength;
    for (int i = from > last ? last : from; i >= 0; --i) {
        if (std::memcmp(c_str() + i, s.c_str(), static_cast<size_t>(s.m_nLength)) == 0)
            return i;
    }
    return -1;
}

bool String::startsWith(const String& prefix, int from) const {
    if (from < 0 || from > m_nLength - prefix.m_nLength)
        return false;
    return std::memcmp(c_str() + from, prefix.c_str(), static_cast<size_t>(prefix.m_nLength)) == 0;
}

bool String::endsWith(const String& suffix) const { return startsWith(suffix, m_nLength - suffix.m_nLength); }

String String::substring(int begin, int end) const {
    begin = Clamp(begin, 0, m_nLength);
    end = Clamp(end, begin, m_nLength);
    return String(c_str() + begin, end - begin);
}

String String::toLowerCase() const {
    String result(*this);
    for (int i = 0; i < result.m_nLength; ++i)
        result.m_pText[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(result.m_pText[i])));
    return result;
}

String String::toUpperCase() const {
    String result(*this);
    for (int i = 0; i < result.m_nLength; ++i)
        result.m_pText[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(result.m_pText[i])));
    return result;
}

String String::trim() const {
    int begin = 0;
    int end = m_nLength;
    const char* text = c_str();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin])))
        ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1])))
        --end;
    return substring(begin, end);
}

String String::replace(char from, char to) const {
    String result(*this);
    for (int i = 0; i < result.m_nLength; ++i) {
        if (result.m_pText[i] == from)
            result.m_pText[i] = to;
    }
    return result;
}

String String::replace(const String& from, const String& to) const {
    if (from.isEmpty())
        return *this;
    String result;
    int start = 0;
    for (int found = indexOf(from); found >= 0; found = indexOf(from, start)) {
        result.Append(c_str() + start, found - start);
        result += to;
        start = found + from.m_nLength;
    }
    result.Append(c_str() + start, m_nLength - start);
    return result;
}

String String::Format(const char* format, ...) {
    if (!format)
        return String();
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int size = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    String result;
    if (size > 0) {
        result.Reserve(size + 1);
        std::vsnprintf(result.m_pText, static_cast<size_t>(size) + 1, format, again);
        result.m_nLength = size;
    }
    va_end(again);
    return result;
}

void String::Double() {
    const int capacity = (m_nLength + 1) * 2;
    char* fresh = static_cast<char*>(std::malloc(static_cast<size_t>(capacity)));
    if (!fresh)
        throw std::bad_alloc();
    std::memcpy(fresh, c_str(), static_cast<size_t>(m_nLength) + 1);
    std::free(m_pText);
    m_pText = fresh;
    m_nCapacity = capacity;
}

void String::Assign(const char* text, int length) {
    m_nLength = 0;
    Append(text, length);
}

void String::Append(const char* text, int length) {
    if (length < 0)
        length = 0;
    Reserve(m_nLength + length + 1);
    if (length > 0)
        std::memmove(m_pText + m_nLength, text, static_cast<size_t>(length));
    m_nLength += length;
    m_pText[m_nLength] = 0;
}

void String::Reserve(int capacity) {
    if (m_pText && m_nCapacity >= capacity)
        return;
    if (m_pText && (m_nLength + 1) * 2 >= capacity) {
        Double();
        return;
    }
    char* fresh = static_cast<char*>(std::realloc(m_pText, static_cast<size_t>(capacity)));
    if (!fresh)
        throw std::bad_alloc();
    if (!m_pText)
        fresh[0] = 0;
    m_pText = fresh;
    m_nCapacity = capacity;
}

String operator+(const String& left, const String& right) {
    String result(left);
    result += right;
    return result;
}

}  // namespace ZQ2
