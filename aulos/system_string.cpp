#include "aulos/system_string.h"

#include <cstdint>

size_t F_strlen(const char* s)
{
    size_t n = 0;
    while (s[n])
        ++n;
    return n;
}

char* F_strcpy(char* dest, const char* src)
{
    char* d = dest;
    while ((*d++ = *src++) != 0)
    {
    }
    return dest;
}

char* F_strncpy(char* dest, const char* src, size_t n)
{
    for (size_t i = 0; i < n; ++i)
    {
        dest[i] = src[i];
        if (!src[i])
            break;
    }
    return dest;
}

char* F_strcat(char* dest, const char* src)
{
    F_strcpy(dest + F_strlen(dest), src);
    return dest;
}

char* F_strncat(char* dest, const char* src, size_t n)
{
    char* d = dest + F_strlen(dest);
    size_t i = 0;
    for (; i < n && src[i]; ++i)
        d[i] = src[i];
    d[i] = 0;
    return dest;
}

int F_toupper(int c)
{
    return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c;
}

int F_tolower(int c)
{
    return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c;
}

char* F_strupr(char* s)
{
    for (char* p = s; *p; ++p)
        *p = static_cast<char>(F_toupper(static_cast<unsigned char>(*p)));
    return s;
}

namespace
{
int CompareBytes(const char* a, const char* b, size_t n, bool fold)
{
    // At least one character is compared, even for n = 0.
    if (n == 0)
        n = 1;
    for (size_t i = 0; i < n; ++i)
    {
        int ca = static_cast<unsigned char>(a[i]);
        int cb = static_cast<unsigned char>(b[i]);
        if (fold)
        {
            ca = F_tolower(ca);
            cb = F_tolower(cb);
        }
        if (ca != cb || ca == 0)
            return ca - cb;
    }
    return 0;
}
} // namespace

int F_strcmp(const char* a, const char* b)
{
    return CompareBytes(a, b, SIZE_MAX, false);
}

int F_strncmp(const char* a, const char* b, size_t n)
{
    return CompareBytes(a, b, n, false);
}

int F_stricmp(const char* a, const char* b)
{
    return CompareBytes(a, b, SIZE_MAX, true);
}

int F_strnicmp(const char* a, const char* b, size_t n)
{
    return CompareBytes(a, b, n, true);
}

int F_memcmp(const void* a, const void* b, size_t n)
{
    const unsigned char* pa = static_cast<const unsigned char*>(a);
    const unsigned char* pb = static_cast<const unsigned char*>(b);
    for (size_t i = 0; i < n; ++i)
    {
        if (pa[i] != pb[i])
            return static_cast<int8_t>(static_cast<uint8_t>(pa[i] - pb[i]));
    }
    return 0;
}

void* F_memmove(void* dest, const void* src, size_t n)
{
    unsigned char* d = static_cast<unsigned char*>(dest);
    const unsigned char* s = static_cast<const unsigned char*>(src);
    // Forwards when the destination lies below the source, so overlaps survive.
    if (reinterpret_cast<uintptr_t>(d) < reinterpret_cast<uintptr_t>(s))
    {
        for (size_t i = 0; i < n; ++i)
            d[i] = s[i];
    }
    else
    {
        for (size_t i = n; i > 0; --i)
            d[i - 1] = s[i - 1];
    }
    return dest;
}

const char* F_strchr(const char* s, int c)
{
    const char ch = static_cast<char>(c);
    for (;; ++s)
    {
        if (*s == ch)
            return s;
        if (!*s)
            return nullptr;
    }
}

const char* F_strstr(const char* haystack, const char* needle)
{
    const size_t n = F_strlen(needle);
    if (n == 0)
        return haystack;
    for (; *haystack; ++haystack)
    {
        size_t i = 0;
        while (i < n && haystack[i] == needle[i])
            ++i;
        if (i == n)
            return haystack;
    }
    return nullptr;
}
