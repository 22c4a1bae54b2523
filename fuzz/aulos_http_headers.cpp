// Splits the input into lines and takes them as a server's answer: the
// status line, header fields (or a redirect's Location), then the rest as
// ICY metadata blocks; the first line is also parsed as a URL and as a proxy.
#include "aulos/net_http.h"
#include "aulos/net_stream.h"
#include "aulos/system_memory.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace
{
void Ignore(const char*, const char*, void*) {}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 16))
        return 0;
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < size; ++i)
    {
        const char c = static_cast<char>(data[i]);
        if (c == '\n')
            lines.emplace_back();
        else if (c != '\r' && c != '\0' && lines.back().size() < 8191)
            lines.back() += c;
    }
    char host[256];
    char path[8192];
    int port = 0;
    AUSND_Net_ParseUrl(lines[0].c_str(), host, sizeof(host), &port, path, sizeof(path));
    char* encoded = AUSND_Net_EncodeBase64(lines[0].c_str());
    AUSND_Memory_Free(encoded);
    AUSND_Stream_Net_SetProxy(lines[0].c_str());
    AUSND_Stream_Net_SetProxy(nullptr);

    int protocol = 0;
    int code = 0;
    AUSND_NETHEADERS* headers = new AUSND_NETHEADERS{};
    if (AUSND_Stream_Net_ParseStatusLine(lines[0].c_str(), &protocol, &code))
    {
        for (size_t i = 1; i < lines.size() && !lines[i].empty(); ++i)
        {
            if (code == 200)
                AUSND_Stream_Net_HeaderLine(headers, lines[i].c_str());
            else if (AUSND_Stream_Net_LocationLine(headers, lines[i].c_str()))
                break;
        }
    }
    AUSND_Tag_FreeList(&headers->tags);
    delete headers;

    // The raw bytes as metadata blocks: a length byte, then length x 16 bytes.
    for (size_t at = 0; at < size;)
    {
        const size_t length = static_cast<size_t>(data[at]) * 16;
        const size_t available = size - at - 1 < length ? size - at - 1 : length;
        AUSND_Stream_Net_DispatchMetadata(reinterpret_cast<const char*>(data + at + 1), available, Ignore, nullptr);
        at += 1 + length;
    }
    return 0;
}
