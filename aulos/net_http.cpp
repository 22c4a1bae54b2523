// URL, Base64, status-line, header-field and ICY metadata parsing.
#include "aulos/net_http.h"

#include "aulos/system_memory.h"

#include <cctype>
#include <cstring>
#include <string>

namespace
{
bool StartsWithNoCase(const char* text, const char* prefix)
{
    for (; *prefix; ++text, ++prefix)
        if (std::tolower(static_cast<unsigned char>(*text)) != std::tolower(static_cast<unsigned char>(*prefix)))
            return false;
    return true;
}

const char* SkipSpace(const char* p)
{
    while (*p == ' ' || *p == '\t')
        ++p;
    return p;
}

bool CopyBounded(char* out, size_t size, const char* from, size_t length)
{
    if (length >= size)
        return false;
    std::memcpy(out, from, length);
    out[length] = 0;
    return true;
}
} // namespace

bool AUSND_Net_ParseUrl(const char* url, char* host, size_t hostSize, int* port, char* path, size_t pathSize)
{
    if (!url || !host || !path || !port || hostSize == 0 || pathSize < 2)
        return false;
    if (!StartsWithNoCase(url, "http://") && !StartsWithNoCase(url, "http:\\\\"))
        return false;
    const char* p = url + 7;
    const char* hostEnd = p;
    while (*hostEnd && *hostEnd != ':' && *hostEnd != '/')
        ++hostEnd;
    if (hostEnd == p || !CopyBounded(host, hostSize, p, static_cast<size_t>(hostEnd - p)))
        return false;
    p = hostEnd;
    *port = 80;
    if (*p == ':')
    {
        ++p;
        // Digits one by one, refusing values past the port range instead of overflowing.
        long value = 0;
        int digits = 0;
        while (std::isdigit(static_cast<unsigned char>(*p)))
        {
            value = value * 10 + (*p - '0');
            if (value > 65535)
                return false;
            ++p;
            ++digits;
        }
        if (digits == 0 || value == 0)
            return false;
        *port = static_cast<int>(value);
    }
    size_t length = std::strlen(p);
    while (length > 0 && std::isspace(static_cast<unsigned char>(p[length - 1])))
        --length;
    if (length == 0)
        return CopyBounded(path, pathSize, "/", 1);
    return CopyBounded(path, pathSize, p, length);
}

char* AUSND_Net_EncodeBase64(const char* text)
{
    if (!text)
        return nullptr;
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const size_t length = std::strlen(text);
    const size_t outLength = (length + 2) / 3 * 4;
    if (outLength + 1 > 0xFFFFFFFFu)
        return nullptr;
    char* out = static_cast<char*>(AUSND_Memory_Calloc(static_cast<unsigned int>(outLength + 1)));
    if (!out)
        return nullptr;
    const unsigned char* in = reinterpret_cast<const unsigned char*>(text);
    size_t o = 0;
    for (size_t i = 0; i < length; i += 3)
    {
        const uint32_t b0 = in[i];
        const uint32_t b1 = i + 1 < length ? in[i + 1] : 0;
        const uint32_t b2 = i + 2 < length ? in[i + 2] : 0;
        const uint32_t v = (b0 << 16) | (b1 << 8) | b2;
        out[o++] = kAlphabet[(v >> 18) & 63];
        out[o++] = kAlphabet[(v >> 12) & 63];
        out[o++] = i + 1 < length ? kAlphabet[(v >> 6) & 63] : '=';
        out[o++] = i + 2 < length ? kAlphabet[v & 63] : '=';
    }
    out[o] = 0;
    return out;
}

bool AUSND_Stream_Net_ParseStatusLine(const char* line, int* protocolOut, int* codeOut)
{
    if (!line)
        return false;
    static const char* const kNames[3] = {"HTTP/1.0", "HTTP/1.1", "ICY"};
    int protocol = -1;
    size_t nameLength = 0;
    for (int i = 0; i < 3; ++i)
    {
        nameLength = std::strlen(kNames[i]);
        if (std::strncmp(line, kNames[i], nameLength) == 0 && line[nameLength] == ' ')
        {
            protocol = i;
            break;
        }
    }
    if (protocol < 0)
        return false;
    const char* p = SkipSpace(line + nameLength);
    int code = 0;
    int digits = 0;
    while (std::isdigit(static_cast<unsigned char>(*p)) && digits < 3)
    {
        code = code * 10 + (*p++ - '0');
        ++digits;
    }
    if (digits != 3)
        return false;
    if (protocolOut)
        *protocolOut = protocol;
    if (codeOut)
        *codeOut = code;
    return true;
}

namespace
{
uint32_t ParseCount(const char* p)
{
    p = SkipSpace(p);
    uint64_t value = 0;
    while (std::isdigit(static_cast<unsigned char>(*p)))
    {
        value = value * 10 + static_cast<uint64_t>(*p++ - '0');
        if (value > 0xFFFFFFFFu)
            return 0xFFFFFFFFu;
    }
    return static_cast<uint32_t>(value);
}

void SetServerKind(AUSND_NETHEADERS* h, uint32_t kind)
{
    if ((h->flags & 0xFFFF) == 0)
        h->flags |= kind;
}

// A field stored as a tag named without its colon; the value's length counts its terminator.
void AddTag(AUSND_NETHEADERS* h, int type, const char* line, size_t nameLength)
{
    const std::string name(line, nameLength - 1);
    const char* value = SkipSpace(line + nameLength);
    AUSND_Tag_Add(type, name.c_str(), value, static_cast<int>(std::strlen(value) + 1), &h->tags);
}
} // namespace

void AUSND_Stream_Net_HeaderLine(AUSND_NETHEADERS* h, const char* line)
{
    if (!h || !line)
        return;
    if (StartsWithNoCase(line, "Content-Length:"))
    {
        h->contentLength = ParseCount(line + 15);
        SetServerKind(h, AUSND_NET_SERVER_LENGTH);
        return;
    }
    if (StartsWithNoCase(line, "Content-Type:"))
    {
        const char* type = SkipSpace(line + 13);
        if (StartsWithNoCase(type, "application/ogg") || StartsWithNoCase(type, "application/x-ogg"))
            h->flags |= AUSND_NET_CONTENT_OGG;
        return;
    }
    if (StartsWithNoCase(line, "icy-metaint:"))
    {
        h->metaInterval = ParseCount(line + 12);
        return;
    }
    static const char* const kIcy[] = {"icy-br:",  "icy-pub:",   "icy-notice1:", "icy-notice2:", "icy-name:",
                                       "icy-genre:", "icy-url:", "icy-irc:",     "icy-icq:",     "icy-aim:"};
    for (const char* name : kIcy)
        if (StartsWithNoCase(line, name))
        {
            AddTag(h, 3, line, std::strlen(name));
            SetServerKind(h, AUSND_NET_SERVER_ICY);
            return;
        }
    static const char* const kIce[] = {"ice-bitrate:", "ice-description:", "ice-public:", "ice-name:",
                                       "ice-genre:",   "ice-url:",         "ice-irc:",    "ice-icq:",
                                       "ice-aim:",     "ice-audio-info:"};
    for (const char* name : kIce)
        if (StartsWithNoCase(line, name))
        {
            AddTag(h, 4, line, std::strlen(name));
            SetServerKind(h, AUSND_NET_SERVER_ICECAST);
            return;
        }
}

bool AUSND_Stream_Net_LocationLine(AUSND_NETHEADERS* h, const char* line)
{
    if (!h || !line || !StartsWithNoCase(line, "Location: "))
        return false;
    const char* value = SkipSpace(line + 10);
    return CopyBounded(h->location, sizeof(h->location), value, std::strlen(value));
}

namespace
{
// The quoted value after `key` up to the first ";" (closing quote dropped).
bool FindValue(const char* text, size_t length, const char* key, std::string* out)
{
    const std::string block(text, length);
    const size_t at = block.find(key);
    if (at == std::string::npos)
        return false;
    const size_t start = at + std::strlen(key);
    size_t end = block.find(';', start);
    if (end == std::string::npos)
        end = block.size();
    std::string value = block.substr(start, end - start);
    if (!value.empty() && value.back() == '\'')
        value.pop_back();
    *out = value;
    return true;
}
} // namespace

void AUSND_Stream_Net_DispatchMetadata(const char* block, size_t length, AUSND_METADATACALLBACK callback,
                                       void* userdata)
{
    if (!block || !callback)
        return;
    length = strnlen(block, length);
    std::string value;
    if (FindValue(block, length, "StreamTitle='", &value))
    {
        const size_t dash = value.find(" - ");
        if (dash == std::string::npos)
            callback("ARTIST", value.c_str(), userdata);
        else
        {
            callback("ARTIST", value.substr(0, dash).c_str(), userdata);
            callback("TITLE", value.substr(dash + 3).c_str(), userdata);
        }
    }
    if (FindValue(block, length, "StreamUrl='", &value))
        callback("StreamUrl", value.c_str(), userdata);
}
