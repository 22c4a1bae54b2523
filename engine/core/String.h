#pragma once
// A small byte string with value semantics: the text type of the cipher and
// its holders. Always NUL-terminated; the length field counts the bytes, so a
// string built with an explicit length may also hold zero bytes.
#include <cstdarg>

namespace ZQ2 {

class String {
public:
    String();
    String(const char* text);  // NOLINT: implicit, like a C string; null counts as ""
    String(const char* text, int length);
    explicit String(char c);
    explicit String(int value);
    explicit String(long value);
    explicit String(unsigned long value);
    String(const String& other);
    String(String&& other) noexcept;
    ~String();

    String& operator=(const String& other);
    String& operator=(String&& other) noexcept;

    String& operator+=(const String& other);
    String& concat(const String& other) { return *this += other; }
    String& operator+=(char c);
    String& operator+=(int value);
    String& operator+=(long long value);
    String& operator+=(double value);

    // Byte-wise comparison, as strcmp on unsigned bytes.
    int compareTo(const String& other) const;
    bool equals(const String& other) const { return compareTo(other) == 0; }
    bool equalsIgnoreCase(const String& other) const;
    bool operator==(const String& other) const { return compareTo(other) == 0; }
    bool operator!=(const String& other) const { return compareTo(other) != 0; }
    bool operator<(const String& other) const { return compareTo(other) < 0; }
    bool operator>(const String& other) const { return compareTo(other) > 0; }
    bool operator<=(const String& other) const { return compareTo(other) <= 0; }
    bool operator>=(const String& other) const { return compareTo(other) >= 0; }

    // The byte at i, or 0 outside the text.
    char charAt(int i) const;
    char operator[](int i) const { return charAt(i); }

    // Positions, or -1 when absent.
    int indexOf(char c, int from = 0) const;
    int indexOf(const String& s, int from = 0) const;
    int lastIndexOf(char c) const { return lastIndexOf(c, m_nLength - 1); }
    int lastIndexOf(char c, int from) const;
    int lastIndexOf(const String& s) const { return lastIndexOf(s, m_nLength); }
    int lastIndexOf(const String& s, int from) const;

    bool startsWith(const String& prefix, int from = 0) const;
    bool endsWith(const String& suffix) const;

    // Bytes from begin up to end; both are clamped to the text.
    String substring(int begin) const { return substring(begin, m_nLength); }
    String substring(int begin, int end) const;

    String toLowerCase() const;
    String toUpperCase() const;
    String trim() const;
    String replace(char from, char to) const;
    // Every occurrence of from replaced; an empty from changes nothing.
    String replace(const String& from, const String& to) const;

    static String Format(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 1, 2)))
#endif
        ;

    // Grows the buffer to twice the space the text needs.
    void Double();

    // Never null, even for a string that was moved from.
    const char* c_str() const { return m_pText ? m_pText : ""; }
    int length() const { return m_nLength; }
    bool isEmpty() const { return m_nLength == 0; }

private:
    void Assign(const char* text, int length);
    void Append(const char* text, int length);
    void Reserve(int capacity);

    char* m_pText = nullptr;
    int m_nCapacity = 0;
    int m_nLength = 0;
};

String operator+(const String& left, const String& right);

}  // namespace ZQ2
