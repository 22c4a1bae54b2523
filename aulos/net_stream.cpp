// The HTTP/ICY client of internet streams and its MPEG reader.
#include "aulos/net_stream.h"

#include "aulos/ausnd_device.h"
#include "aulos/system_memory.h"

#include <cstring>
#include <new>
#include <string>
#include <vorbis/vorbisfile.h>

namespace
{
constexpr int kMaxHeaderLines = 256;
constexpr int kMutedFrames = 3;

// Settings shared by every connection: set from the caller's thread, read by openers.
struct NetSettings
{
    std::mutex lock;
    char proxyHost[256] = {};
    int proxyPort = 0;
    char* proxyAuth = nullptr; // Base64 credentials
    char lastStatus[AUSND_NET_MAXLINE] = {};
    AUSND_NETDATACALLBACK netData = nullptr;
    void* netDataUserdata = nullptr;
};

NetSettings& Settings()
{
    static NetSettings settings;
    return settings;
}

void RememberStatus(const char* line)
{
    NetSettings& n = Settings();
    std::lock_guard<std::mutex> guard(n.lock);
    const size_t length = strnlen(line, sizeof(n.lastStatus) - 1);
    std::memcpy(n.lastStatus, line, length);
    n.lastStatus[length] = 0;
}

// kbit/s of a frame header, from the standard tables.
int FrameBitrate(const uint8_t* header)
{
    static const int kTable[5][16] = {
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}};
    const int version = (header[1] >> 3) & 3;
    const int layer = (header[1] >> 1) & 3;
    if (layer == 0 || version == 1)
        return 0;
    int row = 0;
    if (version == 3)
        row = 3 - layer;
    else
        row = layer == 3 ? 3 : 4;
    return kTable[row][header[2] >> 4];
}

AUSND_NETSTREAM* FailNull(AUSND_NETSTREAM* net, int error)
{
    AUSND_Stream_Net_Close(net);
    AUSND_ErrorNo = error;
    return nullptr;
}

// 1: streaming headers read; 2: redirect to headers.location; 0: failure.
int ReadHeaders(AUSND_NETSTREAM* net)
{
    char line[AUSND_NET_MAXLINE];
    if (AUSND_Sockbuf_ReadLine(net->socket, line, sizeof(line), net->timeoutMs) < 0)
        return 0;
    RememberStatus(line);
    int protocol = 0;
    int code = 0;
    if (!AUSND_Stream_Net_ParseStatusLine(line, &protocol, &code))
        return 0;
    if (code == 200)
    {
        // A server that never ends its header is cut off.
        for (int count = 0;; ++count)
        {
            if (count == kMaxHeaderLines)
                return 0;
            const int length = AUSND_Sockbuf_ReadLine(net->socket, line, sizeof(line), net->timeoutMs);
            if (length < 0)
                return 0;
            if (length == 0)
                break;
            AUSND_Stream_Net_HeaderLine(&net->headers, line);
        }
        const size_t pathLength = std::strlen(net->path);
        if (pathLength >= 4 && strncasecmp(net->path + pathLength - 4, ".ogg", 4) == 0)
            net->headers.flags |= AUSND_NET_CONTENT_OGG;
        if (!(net->headers.flags & AUSND_NET_CONTENT_OGG))
            net->headers.flags |= AUSND_NET_CONTENT_MPEG;
        return 1;
    }
    if (code == 301 || code == 302 || code == 303 || code == 305 || code == 307)
    {
        for (int count = 0; count < kMaxHeaderLines; ++count)
        {
            const int length = AUSND_Sockbuf_ReadLine(net->socket, line, sizeof(line), net->timeoutMs);
            if (length <= 0)
                return 0;
            if (AUSND_Stream_Net_LocationLine(&net->headers, line))
                return 2;
        }
        return 0;
    }
    return 0;
}

bool Connect(AUSND_NETSTREAM* net, const char* url)
{
    if (!AUSND_Net_ParseUrl(url, net->host, sizeof(net->host), &net->port, net->path, sizeof(net->path)))
    {
        AUSND_ErrorNo = AUSND_ERR_INVALID_PARAM;
        return false;
    }
    char proxyHost[256];
    int proxyPort = 0;
    std::string auth;
    {
        NetSettings& n = Settings();
        std::lock_guard<std::mutex> guard(n.lock);
        std::memcpy(proxyHost, n.proxyHost, sizeof(proxyHost));
        proxyPort = n.proxyPort;
        if (n.proxyAuth)
            auth = n.proxyAuth;
    }
    const bool proxy = proxyHost[0] != 0;
    if (net->cancelled)
    {
        AUSND_ErrorNo = AUSND_ERR_FILE_BAD;
        return false;
    }
    const int endpoint = AUSND_Net_Connect(proxy ? proxyHost : net->host, proxy ? proxyPort : net->port, net->timeoutMs);
    if (endpoint < 0)
    {
        AUSND_ErrorNo = AUSND_ERR_FILE_BAD;
        return false;
    }
    AUSND_SOCKBUF* socket = AUSND_Sockbuf_Open(endpoint);
    if (!socket)
    {
        AUSND_Net_Close(endpoint);
        AUSND_ErrorNo = AUSND_ERR_MEMORY;
        return false;
    }
    socket->flags |= AUSND_SOCKBUF_HEADERPHASE;
    {
        std::lock_guard<std::mutex> guard(net->socketLock);
        net->socket = socket;
        if (net->cancelled)
            socket->flags |= AUSND_SOCKBUF_ABORT;
    }
    // Through a proxy the request names the whole URL.
    AUSND_Sockbuf_WriteLine(socket, "GET %s HTTP/1.1\r\n", proxy ? url : net->path);
    AUSND_Sockbuf_WriteLine(socket, "Host: %s\r\n", net->host);
    AUSND_Sockbuf_WriteLine(socket, "User-Agent: Aulos/%.2f\r\n", 1.00);
    AUSND_Sockbuf_WriteLine(socket, "Icy-MetaData:1\r\n");
    if (proxy && !auth.empty())
        AUSND_Sockbuf_WriteLine(socket, "Proxy-Authorization: Basic %s\r\n", auth.c_str());
    AUSND_Sockbuf_WriteLine(socket, "Connection: close\r\n");
    AUSND_Sockbuf_WriteLine(socket, "\r\n");
    return true;
}

void Disconnect(AUSND_NETSTREAM* net)
{
    {
        std::lock_guard<std::mutex> guard(net->socketLock);
        AUSND_Sockbuf_Close(net->socket);
        net->socket = nullptr;
    }
    AUSND_Tag_FreeList(&net->headers.tags);
    std::memset(&net->headers, 0, sizeof(net->headers));
}

constexpr uint64_t kCommentInterval = 24576;

// Until the decoder is open its reads wait for the network (up to the
// time-out) so that the first buffering is not taken for the end of the
// stream; afterwards a read returns what the ring holds, and nothing is no end.
size_t VorbisRead(void* out, size_t size, size_t count, void* source)
{
    AUSND_NETSTREAM* net = static_cast<AUSND_NETSTREAM*>(source);
    const uint64_t wanted = static_cast<uint64_t>(size) * count;
    int bytes = wanted > 0x10000 ? 0x10000 : static_cast<int>(wanted);
    // A server may keep the connection open after the length it announced.
    if (net->headers.contentLength > 0)
    {
        const uint64_t left = net->received < net->headers.contentLength ? net->headers.contentLength - net->received : 0;
        if (left == 0)
        {
            net->sourceEnded = true;
            return 0;
        }
        if (static_cast<uint64_t>(bytes) > left)
            bytes = static_cast<int>(left);
    }
    for (int waited = 0; waited <= net->timeoutMs && !net->cancelled; waited += 10)
    {
        const int got = AUSND_Sockbuf_Read(out, net->socket, bytes);
        if (got < 0)
        {
            net->sourceEnded = true;
            return 0;
        }
        if (got > 0)
        {
            net->received += static_cast<uint64_t>(got);
            if (net->netDataCallback)
                net->netDataCallback(out, static_cast<unsigned int>(got), net->netDataUserdata);
            return static_cast<size_t>(got) / (size ? size : 1);
        }
        if (net->vorbisLive)
            return 0;
        AUSND_Sockbuf_Prebuffer(net->socket, true, 10);
    }
    return 0;
}

long VorbisTell(void* source)
{
    return static_cast<long>(static_cast<AUSND_NETSTREAM*>(source)->received);
}

void DispatchComments(AUSND_NETSTREAM* net)
{
    vorbis_comment* comments = ov_comment(static_cast<OggVorbis_File*>(net->vorbis), -1);
    if (!comments || !net->metadataCallback)
        return;
    for (int i = 0; i < comments->comments; ++i)
    {
        const std::string entry(comments->user_comments[i], static_cast<size_t>(comments->comment_lengths[i]));
        const size_t equals = entry.find('=');
        if (equals == std::string::npos)
            continue;
        net->metadataCallback(entry.substr(0, equals).c_str(), entry.substr(equals + 1).c_str(),
                              net->metadataUserdata);
    }
}

bool OpenVorbis(AUSND_NETSTREAM* net)
{
    OggVorbis_File* vf = static_cast<OggVorbis_File*>(AUSND_Memory_Calloc(sizeof(OggVorbis_File)));
    if (!vf)
        return false;
    const ov_callbacks callbacks{VorbisRead, nullptr, nullptr, VorbisTell};
    if (ov_open_callbacks(net, vf, nullptr, 0, callbacks) != 0)
    {
        AUSND_Memory_Free(vf);
        return false;
    }
    net->vorbis = vf;
    net->vorbisLive = true;
    const vorbis_info* info = ov_info(vf, -1);
    if (!info || info->channels < 1 || info->channels > 2)
        return false;
    net->channels = info->channels;
    net->rate = static_cast<int>(info->rate);
    DispatchComments(net);
    net->nextCommentsAt = net->received + kCommentInterval;
    return true;
}

// Waits until the ring is filled, the server has closed, or all the content
// it announced is in (a server may keep the connection open after it).
bool FirstBuffering(AUSND_NETSTREAM* net)
{
    AUSND_SOCKBUF* socket = net->socket;
    for (int waited = 0; waited <= net->timeoutMs && !net->cancelled; waited += 10)
    {
        if (AUSND_Sockbuf_Prebuffer(socket, true, 10))
            return true;
        const uint32_t flags = socket->flags;
        if (flags & AUSND_SOCKBUF_REMOTECLOSED)
            return true;
        if (flags & (AUSND_SOCKBUF_ERROR | AUSND_SOCKBUF_ABORT))
            return false;
        if (net->headers.contentLength > 0 && AUSND_Sockbuf_FillBytes(socket) >= net->headers.contentLength)
        {
            socket->flags &= ~static_cast<uint32_t>(AUSND_SOCKBUF_BUFFERING | AUSND_SOCKBUF_FIRSTBUFFERING);
            return true;
        }
    }
    return false;
}

// A length byte, then length x 16 bytes of metadata, gathered across calls
// so that a reader never waits for them. 1: the block is complete and
// dispatched; 0: more is on its way; -1: the connection has ended.
int TakeMetadata(AUSND_NETSTREAM* net)
{
    if (!net->metaInBlock)
    {
        uint8_t length = 0;
        const int got = AUSND_Sockbuf_Read(&length, net->socket, 1);
        if (got <= 0)
            return got;
        net->metaInBlock = true;
        net->metaPending = length * 16;
        net->metaFill = 0;
        std::memset(net->metadata, 0, sizeof(net->metadata));
    }
    while (net->metaPending > 0)
    {
        const int got = AUSND_Sockbuf_Read(net->metadata + net->metaFill, net->socket, net->metaPending);
        if (got <= 0)
            return got;
        net->metaFill += got;
        net->metaPending -= got;
    }
    AUSND_Stream_Net_DispatchMetadata(net->metadata, static_cast<size_t>(net->metaFill), net->metadataCallback,
                                      net->metadataUserdata);
    net->metaInBlock = false;
    net->metaLeft = net->headers.metaInterval;
    return 1;
}
} // namespace

AUSND_NETSTREAM* AUSND_Stream_Net_Alloc(AUSND_METADATACALLBACK callback, void* userdata, int timeoutMs)
{
    if (!AUSND_Sockbuf_Init())
    {
        AUSND_ErrorNo = AUSND_ERR_INIT;
        return nullptr;
    }
    void* memory = AUSND_Memory_Calloc(sizeof(AUSND_NETSTREAM));
    if (!memory)
    {
        AUSND_ErrorNo = AUSND_ERR_MEMORY;
        return nullptr;
    }
    AUSND_NETSTREAM* net = new (memory) AUSND_NETSTREAM();
    net->metadataCallback = callback;
    net->metadataUserdata = userdata;
    net->timeoutMs = timeoutMs > 0 ? timeoutMs : AUSND_NET_TIMEOUT_MS;
    net->status = AUSND_NET_STATUS_CONNECTING;
    NetSettings& n = Settings();
    std::lock_guard<std::mutex> guard(n.lock);
    net->netDataCallback = n.netData;
    net->netDataUserdata = n.netDataUserdata;
    return net;
}

bool AUSND_Stream_Net_Run(AUSND_NETSTREAM* net, const char* url)
{
    if (!url)
    {
        AUSND_ErrorNo = AUSND_ERR_INVALID_PARAM;
        return false;
    }
    char current[AUSND_NET_MAXLINE];
    std::strncpy(current, url, sizeof(current) - 1);
    current[sizeof(current) - 1] = 0;
    for (;;)
    {
        if (!Connect(net, current))
            return false;
        const int result = ReadHeaders(net);
        if (result == 1)
            break;
        if (result == 0 || net->redirects >= static_cast<int>(AUSND_NET_MAXREDIRECTS) || net->cancelled)
        {
            AUSND_ErrorNo = AUSND_ERR_FILE_BAD;
            return false;
        }
        ++net->redirects;
        std::memcpy(current, net->headers.location, sizeof(current));
        Disconnect(net);
    }
    net->metaLeft = net->headers.metaInterval;
    net->socket->flags &= ~static_cast<uint32_t>(AUSND_SOCKBUF_HEADERPHASE);
    net->status = AUSND_NET_STATUS_BUFFERING;
    if (!FirstBuffering(net) || net->cancelled)
    {
        AUSND_ErrorNo = AUSND_ERR_FILE_BAD;
        return false;
    }
    if (net->headers.flags & AUSND_NET_CONTENT_OGG)
    {
        if (!OpenVorbis(net))
        {
            AUSND_ErrorNo = AUSND_ERR_FILE_FORMAT;
            return false;
        }
    }
    else
    {
        net->mpeg = AUSND_Mpeg_Alloc();
        if (!net->mpeg)
        {
            AUSND_ErrorNo = AUSND_ERR_MEMORY;
            return false;
        }
        // Radio joined mid-stream starts on a frame whose reservoir is missing.
        if (net->headers.contentLength == 0)
            net->muteFrames = kMutedFrames;
    }
    net->status = AUSND_NET_STATUS_STREAMING;
    return true;
}

AUSND_NETSTREAM* AUSND_Stream_Net_OpenUrl(const char* url, AUSND_METADATACALLBACK callback, void* userdata,
                                          int timeoutMs)
{
    if (!url)
    {
        AUSND_ErrorNo = AUSND_ERR_INVALID_PARAM;
        return nullptr;
    }
    AUSND_NETSTREAM* net = AUSND_Stream_Net_Alloc(callback, userdata, timeoutMs);
    if (!net)
        return nullptr;
    if (!AUSND_Stream_Net_Run(net, url))
        return FailNull(net, AUSND_ErrorNo);
    return net;
}

void AUSND_Stream_Net_Abort(AUSND_NETSTREAM* net)
{
    if (!net)
        return;
    std::lock_guard<std::mutex> guard(net->socketLock);
    net->cancelled = true;
    if (net->socket)
        net->socket->flags |= AUSND_SOCKBUF_ABORT;
}

bool AUSND_Stream_Net_SetProxy(const char* proxy)
{
    char host[256] = {};
    int port = 0;
    char* auth = nullptr;
    if (proxy && *proxy)
    {
        const char* at = std::strchr(proxy, '@');
        const char* rest = proxy;
        if (at)
        {
            const std::string credentials(proxy, static_cast<size_t>(at - proxy));
            auth = AUSND_Net_EncodeBase64(credentials.c_str());
            if (!auth)
            {
                AUSND_ErrorNo = AUSND_ERR_MEMORY;
                return false;
            }
            rest = at + 1;
        }
        const char* colon = std::strchr(rest, ':');
        const size_t hostLength = colon ? static_cast<size_t>(colon - rest) : std::strlen(rest);
        port = 80;
        if (colon)
        {
            port = 0;
            const char* digit = colon + 1;
            for (; *digit >= '0' && *digit <= '9' && port <= 65535; ++digit)
                port = port * 10 + (*digit - '0');
            if (*digit || digit == colon + 1)
                port = 0;
        }
        if (hostLength == 0 || hostLength >= sizeof(host) || port < 1 || port > 65535)
        {
            AUSND_Memory_Free(auth);
            AUSND_ErrorNo = AUSND_ERR_INVALID_PARAM;
            return false;
        }
        std::memcpy(host, rest, hostLength);
    }
    NetSettings& n = Settings();
    std::lock_guard<std::mutex> guard(n.lock);
    AUSND_Memory_Free(n.proxyAuth);
    n.proxyAuth = auth;
    std::memcpy(n.proxyHost, host, sizeof(host));
    n.proxyPort = port;
    return true;
}

void AUSND_Stream_Net_CopyLastServerStatus(char* out, size_t size)
{
    if (!out || size == 0)
        return;
    NetSettings& n = Settings();
    std::lock_guard<std::mutex> guard(n.lock);
    std::strncpy(out, n.lastStatus, size - 1);
    out[size - 1] = 0;
}

void AUSND_Stream_Net_SetNetData(AUSND_NETDATACALLBACK callback, void* userdata)
{
    NetSettings& n = Settings();
    std::lock_guard<std::mutex> guard(n.lock);
    n.netData = callback;
    n.netDataUserdata = userdata;
}

void AUSND_Stream_Net_ForgetSettings()
{
    NetSettings& n = Settings();
    std::lock_guard<std::mutex> guard(n.lock);
    AUSND_Memory_Free(n.proxyAuth);
    n.proxyAuth = nullptr;
    n.proxyHost[0] = 0;
    n.proxyPort = 0;
    n.lastStatus[0] = 0;
}

void AUSND_Stream_Net_Close(AUSND_NETSTREAM* net)
{
    if (!net)
        return;
    if (net->vorbis)
    {
        ov_clear(static_cast<OggVorbis_File*>(net->vorbis));
        AUSND_Memory_Free(net->vorbis);
    }
    Disconnect(net);
    AUSND_Mpeg_Close(net->mpeg);
    net->~AUSND_NETSTREAM();
    AUSND_Memory_Free(net);
}

int AUSND_Mpeg_Net_ReadBytes(AUSND_NETSTREAM* net, uint8_t* out, int bytes)
{
    if (!net || !net->socket || bytes < 0)
        return -1;
    int done = 0;
    while (done < bytes)
    {
        if (net->headers.metaInterval && net->metaLeft == 0)
        {
            const int taken = TakeMetadata(net);
            if (taken < 0)
                return done ? done : -1;
            if (taken == 0)
                return done;
        }
        int want = bytes - done;
        if (net->headers.metaInterval && static_cast<uint32_t>(want) > net->metaLeft)
            want = static_cast<int>(net->metaLeft);
        const int got = AUSND_Sockbuf_Read(out ? out + done : nullptr, net->socket, want);
        if (got < 0)
            return done ? done : -1;
        if (got == 0)
            break;
        done += got;
        net->received += static_cast<uint64_t>(got);
        if (net->headers.metaInterval)
            net->metaLeft -= static_cast<uint32_t>(got);
    }
    return done;
}

bool AUSND_Mpeg_Net_ReadFrame(AUSND_NETSTREAM* net, int16_t* pcmOut, uint32_t* bytesOut, bool* ended)
{
    *bytesOut = 0;
    *ended = false;
    if (!net || net->status == AUSND_NET_STATUS_STOPPED)
    {
        *ended = true;
        return false;
    }
    for (;;)
    {
        // The four header bytes, resynchronising byte by byte on garbage.
        while (net->frameHeld < 4)
        {
            const int got = AUSND_Mpeg_Net_ReadBytes(net, net->frame + net->frameHeld, 4 - static_cast<int>(net->frameHeld));
            if (got < 0)
            {
                *ended = true;
                net->status = (net->socket->flags & AUSND_SOCKBUF_ERROR) ? AUSND_NET_STATUS_STOPPED
                                                                          : AUSND_NET_STATUS_STREAMING;
                return false;
            }
            if (got == 0)
                return false;
            net->frameHeld += static_cast<uint32_t>(got);
        }
        if (net->frameSize == 0)
        {
            int size = 0;
            int rate = 0;
            int channels = 0;
            if (!AUSND_Mpeg_DecodeHeader(net->mpeg, net->frame, &rate, &channels, &size) ||
                (net->channels && (channels != net->channels || rate != net->rate)))
            {
                std::memmove(net->frame, net->frame + 1, 3);
                net->frameHeld = 3;
                continue;
            }
            net->channels = channels;
            net->rate = rate;
            net->frameSize = 4u + static_cast<uint32_t>(size);
        }
        while (net->frameHeld < net->frameSize)
        {
            const int got = AUSND_Mpeg_Net_ReadBytes(net, net->frame + net->frameHeld,
                                                     static_cast<int>(net->frameSize - net->frameHeld));
            if (got < 0)
            {
                *ended = true;
                return false;
            }
            if (got == 0)
                return false;
            net->frameHeld += static_cast<uint32_t>(got);
        }
        net->bitrate = FrameBitrate(net->frame);
        if (net->netDataCallback)
            net->netDataCallback(net->frame, net->frameSize, net->netDataUserdata);
        uint32_t produced = 0;
        const bool ok = AUSND_Mpeg_DecodeFrame(net->mpeg, net->frame, net->frameSize, pcmOut, &produced);
        net->frameHeld = 0;
        net->frameSize = 0;
        *bytesOut = ok ? produced : 0;
        if (ok && produced > 0 && net->muteFrames > 0)
        {
            --net->muteFrames;
            std::memset(pcmOut, 0, produced);
        }
        return ok;
    }
}

bool AUSND_OggVorbis_Net_Read(AUSND_NETSTREAM* net, int16_t* pcmOut, uint32_t bytes, uint32_t* bytesOut,
                              bool* ended)
{
    *bytesOut = 0;
    *ended = false;
    if (!net || !net->vorbis || !pcmOut)
    {
        *ended = true;
        return false;
    }
    OggVorbis_File* vf = static_cast<OggVorbis_File*>(net->vorbis);
    for (;;)
    {
        int section = 0;
        const long got = ov_read(vf, reinterpret_cast<char*>(pcmOut), static_cast<int>(bytes), 0, 2, 1, &section);
        if (got == OV_HOLE)
            continue;
        if (got < 0)
        {
            net->status = AUSND_NET_STATUS_STOPPED;
            *ended = true;
            return false;
        }
        if (got == 0)
        {
            // Nothing decodable yet: silence now, the rest on a later pass.
            if (!net->sourceEnded)
            {
                net->status = (net->socket->flags & AUSND_SOCKBUF_BUFFERING) ? AUSND_NET_STATUS_BUFFERING
                                                                             : AUSND_NET_STATUS_STREAMING;
                return true;
            }
            if (net->socket->flags & AUSND_SOCKBUF_ERROR)
                net->status = AUSND_NET_STATUS_STOPPED;
            *ended = true;
            return true;
        }
        net->status = AUSND_NET_STATUS_STREAMING;
        *bytesOut = static_cast<uint32_t>(got);
        if (net->received >= net->nextCommentsAt)
        {
            DispatchComments(net);
            net->nextCommentsAt = net->received + kCommentInterval;
        }
        return true;
    }
}

long AUSND_OggVorbis_Net_Bitrate(AUSND_NETSTREAM* net)
{
    if (!net || !net->vorbis)
        return 0;
    const long rate = ov_bitrate_instant(static_cast<OggVorbis_File*>(net->vorbis));
    return rate > 0 ? rate : 0;
}
