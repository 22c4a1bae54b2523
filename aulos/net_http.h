// The HTTP/ICY side of internet streams: URLs, Base64 proxy credentials,
// status lines and header fields, and ICY metadata blocks. Everything here
// parses bytes from the network and bounds every length it is given.
#pragma once

#include "aulos/ausnd_tags.h"

#include <cstddef>
#include <cstdint>

enum : uint32_t
{
    AUSND_NET_MAXLINE = 8192,      // header line, terminator included
    AUSND_NET_METADATA = 4081,     // 255 x 16 bytes of ICY metadata and a terminator
    AUSND_NET_MAXREDIRECTS = 16,
    AUSND_NET_SERVER_ICY = 1,
    AUSND_NET_SERVER_ICECAST = 2,
    AUSND_NET_SERVER_LENGTH = 4,
    AUSND_NET_CONTENT_MPEG = 0x10000,
    AUSND_NET_CONTENT_OGG = 0x20000
};

// Splits "http://host[:port][/path]". False for another scheme, a host or path
// that does not fit its buffer, or a port that is not 1 to 65535.
bool AUSND_Net_ParseUrl(const char* url, char* host, size_t hostSize, int* port, char* path, size_t pathSize);
// A new pool string of the text in Base64 (RFC 4648, "=" padding); null for
// null input or no memory.
char* AUSND_Net_EncodeBase64(const char* text);

// The protocol number (0 "HTTP/1.0", 1 "HTTP/1.1", 2 "ICY") and status code of
// a status line; false when it is neither.
bool AUSND_Stream_Net_ParseStatusLine(const char* line, int* protocolOut, int* codeOut);

// What the header fields of a response said.
struct AUSND_NETHEADERS
{
    uint32_t flags;          // server kind (low 16 bits) and content kind
    uint32_t contentLength;
    uint32_t metaInterval;   // 0 = no ICY metadata
    char location[AUSND_NET_MAXLINE];
    AUSND_TAGLIST tags;
};
// Takes one header line of a 200 answer (no CR or LF).
void AUSND_Stream_Net_HeaderLine(AUSND_NETHEADERS* headers, const char* line);
// The "Location: " value of a redirect line, copied into headers->location;
// false for other lines.
bool AUSND_Stream_Net_LocationLine(AUSND_NETHEADERS* headers, const char* line);

typedef void (*AUSND_METADATACALLBACK)(const char* name, const char* value, void* userdata);
// Dispatches the StreamTitle (as ARTIST and TITLE, split at " - ") and
// StreamUrl values of one ICY metadata block of `length` bytes.
void AUSND_Stream_Net_DispatchMetadata(const char* block, size_t length, AUSND_METADATACALLBACK callback,
                                       void* userdata);
