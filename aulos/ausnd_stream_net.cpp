// Network streams behind AUSND_Stream_Open: an "http://" name opens a radio
// connection whose MPEG or Ogg Vorbis content fills the double buffer; the
// open can be called off while it runs, and the connection reports its state.
#include "aulos/ausnd_stream.h"
#include "aulos/net_stream.h"
#include "aulos/system_string.h"

#include <algorithm>
#include <cstring>
#include <vector>
#include <strings.h>
#include <mutex>

namespace
{
constexpr uint32_t kUnknownLength = 0x7FFFFFFF;
constexpr int kCancelWaits = 500; // x 10 ms

// Held while an opener publishes or withdraws its connection, so that a
// cancel never reaches a connection being freed; guards the list below.
std::mutex g_OpenLock;

// Every connection a stream holds, so that the sound system's close can
// release them before it stops the network thread.
struct NetOwner
{
    AUSND_NETSTREAM* net;
    AUSND_STREAM* stream;
};
std::vector<NetOwner> g_NetOwners;
bool g_ShuttingDown = false; // opens that start now give up at once

void Forget(AUSND_NETSTREAM* net)
{
    std::lock_guard<std::mutex> guard(g_OpenLock);
    g_NetOwners.erase(std::remove_if(g_NetOwners.begin(), g_NetOwners.end(),
                                     [net](const NetOwner& o) { return o.net == net; }),
                      g_NetOwners.end());
}

bool Fail(int error)
{
    AUSND_ErrorNo = error;
    return false;
}

AUSND_NETSTREAM* NetOf(const AUSND_STREAM* s)
{
    return s->net.load();
}

// Silence for a read that found no complete data yet: the stream plays on.
void Silence(void* dest, uint32_t* bytes, uint32_t most)
{
    if (*bytes > most)
        *bytes = most;
    std::memset(dest, 0, *bytes);
}

bool ReadMpegNet(AUSND_STREAM* s, void* /*raw*/, uint32_t /*rawsize*/, void* dest, uint32_t* bytes)
{
    AUSND_NETSTREAM* net = NetOf(s);
    if (!dest || !net)
    {
        *bytes = 0;
        return false;
    }
    bool ended = false;
    uint32_t got = 0;
    const uint32_t framebytes = 1152u * static_cast<uint32_t>(net->channels > 0 ? net->channels : 1) * 2u;
    if (*bytes < framebytes)
    {
        Silence(dest, bytes, *bytes);
        return true;
    }
    if (net->firstBytes)
    {
        std::memcpy(dest, net->firstPcm, net->firstBytes);
        *bytes = net->firstBytes;
        net->firstBytes = 0;
        return true;
    }
    // A server that gave the length may keep the connection open after it;
    // bytes still held then are a frame that can never be completed.
    if (net->headers.contentLength > 0 && net->received >= net->headers.contentLength)
    {
        *bytes = 0;
        return false;
    }
    if (AUSND_Mpeg_Net_ReadFrame(net, static_cast<int16_t*>(dest), &got, &ended))
    {
        *bytes = got;
        s->bitrate = net->bitrate.load();
        return true;
    }
    if (ended || (net->socket->flags & AUSND_SOCKBUF_ERROR))
    {
        if (net->socket->flags & AUSND_SOCKBUF_ERROR)
            net->status = AUSND_NET_STATUS_STOPPED;
        *bytes = 0;
        return false;
    }
    net->status = (net->socket->flags & AUSND_SOCKBUF_BUFFERING) ? AUSND_NET_STATUS_BUFFERING
                                                                 : AUSND_NET_STATUS_STREAMING;
    Silence(dest, bytes, framebytes);
    return true;
}

bool ReadOggNet(AUSND_STREAM* s, void* /*raw*/, uint32_t /*rawsize*/, void* dest, uint32_t* bytes)
{
    AUSND_NETSTREAM* net = NetOf(s);
    if (!dest || !net)
    {
        *bytes = 0;
        return false;
    }
    bool ended = false;
    uint32_t got = 0;
    const uint32_t framebytes = s->pcmframebytes ? s->pcmframebytes : 1;
    const uint32_t want = *bytes / framebytes * framebytes;
    AUSND_OggVorbis_Net_Read(net, static_cast<int16_t*>(dest), want, &got, &ended);
    if (got > 0)
    {
        *bytes = got;
        const long rate = AUSND_OggVorbis_Net_Bitrate(net);
        if (rate > 0)
            s->bitrate = static_cast<int32_t>(rate / 1024);
        return true;
    }
    if (ended)
    {
        *bytes = 0;
        return false;
    }
    Silence(dest, bytes, 4096);
    return true;
}

// A live connection cannot seek: it plays on from where it is.
bool SeekNet(AUSND_STREAM* /*stream*/, int /*unit*/, uint64_t /*frame*/, uint64_t /*bytes*/)
{
    return true;
}

void Publish(AUSND_STREAM* s, AUSND_NETSTREAM* net)
{
    std::lock_guard<std::mutex> guard(g_OpenLock);
    s->net = net;
}

// The first frame fixes the rate and channels that the double buffer is made for.
bool FirstFrame(AUSND_NETSTREAM* net)
{
    for (int waited = 0; waited <= net->timeoutMs && !net->cancelled; waited += 10)
    {
        if (net->channels > 0 && net->rate > 0)
            return true;
        bool ended = false;
        uint32_t got = 0;
        if (AUSND_Mpeg_Net_ReadFrame(net, net->firstPcm, &got, &ended))
        {
            net->firstBytes = got;
            continue;
        }
        if (ended)
            return false;
        AUSND_Sockbuf_Prebuffer(net->socket, true, 10);
    }
    return net->channels > 0 && net->rate > 0;
}
} // namespace

bool AUSND_Stream_OpenNetwork(AUSND_STREAM* s, const char* url, uint32_t mode)
{
    AUSND_NETSTREAM* net = AUSND_Stream_Net_Alloc(nullptr, nullptr, 0);
    if (!net)
        return false;
    {
        std::lock_guard<std::mutex> guard(g_OpenLock);
        net->metadataCallback = s->metacallback;
        net->metadataUserdata = s->metauserdata;
        s->net = net;
        g_NetOwners.push_back(NetOwner{net, s});
        if (g_ShuttingDown)
            AUSND_Stream_Net_Abort(net);
    }
    auto refuse = [&](int error) {
        Publish(s, nullptr);
        Forget(net);
        AUSND_Stream_Net_Close(net);
        return Fail(error);
    };
    if (!AUSND_Stream_Net_Run(net, url))
        return refuse(AUSND_ErrorNo ? AUSND_ErrorNo : AUSND_ERR_FILE_BAD);
    AUSND_STREAMFORMAT f;
    const bool ogg = net->vorbis != nullptr;
    if (!ogg && !FirstFrame(net))
        return refuse(AUSND_ERR_FILE_FORMAT);
    if (net->channels < 1 || net->channels > 2 || net->rate <= 0)
        return refuse(AUSND_ERR_FILE_FORMAT);
    const uint32_t layout = net->channels == 2 ? AUSND_STEREO : AUSND_MONO;
    f.mode = (mode & ~static_cast<uint32_t>(AUSND_8BITS | AUSND_MONO | AUSND_STEREO | AUSND_UNSIGNED |
                                            AUSND_MULTICHANNEL | AUSND_FORCEMONO | AUSND_LOADRAW)) |
             AUSND_16BITS | AUSND_SIGNED | layout | AUSND_NETWORK;
    f.rate = net->rate;
    f.datalength = kUnknownLength;
    f.pcmbytes = kUnknownLength;
    f.lengthms = kUnknownLength;
    f.codec = net;
    f.seek = SeekNet;
    f.close = [](void* codec) {
        Forget(static_cast<AUSND_NETSTREAM*>(codec));
        AUSND_Stream_Net_Close(static_cast<AUSND_NETSTREAM*>(codec));
        return true;
    };
    f.read = ogg ? ReadOggNet : ReadMpegNet;
    if (!ogg)
    {
        f.rawsize = 2048;
        f.decodesize = 4608;
    }
    f.bytesperframe = AUSND_Stream_FrameBytes(f.mode, 1);
    const uint32_t halfbytes = AUSND_Stream_HalfBytes(f.mode, f.rate, 1);
    if (!AUSND_Stream_CreateEx(s, AUSND_Stream_Read, halfbytes, f.mode, f.rate, nullptr, 1))
        return refuse(AUSND_ErrorNo ? AUSND_ErrorNo : AUSND_ERR_MEMORY);
    // From here the stream owns the connection: a failure is cleaned up with the stream.
    s->format = f;
    s->sample->codec = net;
    s->tags = net->headers.tags;
    net->headers.tags = AUSND_TAGLIST{nullptr, nullptr};
    F_strncpy(s->sample->name, url, 255);
    s->sample->name[255] = 0;
    s->datalength = f.datalength;
    s->dataoffset = 0;
    s->lengthpcm = kUnknownLength;
    s->lengthms = kUnknownLength;
    s->mode = (s->mode & ~static_cast<uint32_t>(AUSND_LOOPBITS)) | AUSND_LOOP_OFF;
    if (f.rawsize)
        s->raw = static_cast<uint8_t*>(AUSND_Memory_Calloc(f.rawsize));
    if (f.decodesize)
        s->decode = static_cast<uint8_t*>(AUSND_Memory_Calloc(f.decodesize));
    if ((f.rawsize && !s->raw) || (f.decodesize && !s->decode))
        return Fail(AUSND_ERR_MEMORY);
    s->ready = true;
    const bool ok = AUSND_Stream_SetPositionEx(s, 0, 0, true);
    s->rewindatplay = 0;
    s->flushatplay = 0;
    return ok || Fail(AUSND_ERR_FILE_BAD);
}

namespace
{
// Aborts the connection of an open in progress; false while there is none
// to abort yet. The caller holds the open lock.
bool AbortOpening(AUSND_STREAM* s)
{
    AUSND_NETSTREAM* net = NetOf(s);
    if (!s->opening || !net)
        return false;
    const int status = net->status.load();
    if (status != AUSND_NET_STATUS_CONNECTING && status != AUSND_NET_STATUS_BUFFERING)
        return false;
    AUSND_Stream_Net_Abort(net);
    return true;
}
} // namespace

bool AUSND_Stream_Net_CancelOpen(AUSND_STREAM* s)
{
    AUSND_ClearErrorOnOwner();
    // Only a network open can be called off.
    if (!s || s->asyncmemory || strncasecmp(s->asyncname, "http:", 5) != 0)
        return Fail(AUSND_ERR_INVALID_PARAM);
    // An open still waiting for the open thread never starts.
    if (s->opening && AUSND_Async_Remove(&s->asyncitem))
    {
        s->openfailed = true;
        s->opening = false;
        return true;
    }
    // The open thread may have taken the open without having made its
    // connection yet: the cancel waits for the connection to abort it.
    int waits = 0;
    for (; waits < kCancelWaits && s->opening; ++waits)
    {
        {
            std::lock_guard<std::mutex> guard(g_OpenLock);
            if (AbortOpening(s))
                break;
        }
        AUSND_Time_Sleep(10);
    }
    if (!s->opening || waits == kCancelWaits)
        return Fail(AUSND_ERR_INVALID_PARAM);
    for (int i = 0; i < kCancelWaits && s->opening; ++i)
        AUSND_Time_Sleep(10);
    return !s->opening || Fail(AUSND_ERR_INVALID_PARAM);
}

bool AUSND_Stream_Net_GetStatus(AUSND_STREAM* s, int* status, int* bufferpercent, int* bitrate, unsigned int* flags)
{
    AUSND_ClearErrorOnOwner();
    std::lock_guard<std::mutex> guard(g_OpenLock);
    AUSND_NETSTREAM* net = s ? NetOf(s) : nullptr;
    if (!net)
        return Fail(AUSND_ERR_INVALID_PARAM);
    const int now = net->status.load();
    if (status)
        *status = now;
    if (bufferpercent)
    {
        // An open in progress replaces its connection on a redirect.
        std::lock_guard<std::mutex> socket(net->socketLock);
        *bufferpercent = net->socket ? AUSND_Sockbuf_FillPercent(net->socket) : 0;
    }
    if (bitrate)
        *bitrate = s->bitrate.load();
    // The opener writes the header fields until it reports streaming.
    if (flags)
        *flags = now >= AUSND_NET_STATUS_STREAMING ? net->headers.flags : 0u;
    return true;
}

bool AUSND_Stream_Net_SetMetadataCallback(AUSND_STREAM* s, AUSND_METADATACALLBACK callback, void* userdata)
{
    AUSND_ClearErrorOnOwner();
    if (!s)
        return Fail(AUSND_ERR_INVALID_PARAM);
    // The stream thread reads the connection's callback inside its update pass.
    AUSND_ScopedSection update(AUSND_Stream_UpdateLock());
    std::lock_guard<std::mutex> guard(g_OpenLock);
    s->metacallback = callback;
    s->metauserdata = userdata;
    if (AUSND_NETSTREAM* net = NetOf(s))
    {
        net->metadataCallback = callback;
        net->metadataUserdata = userdata;
    }
    return true;
}

bool AUSND_Stream_Net_SetNetDataCallback(AUSND_NETDATACALLBACK callback, void* userdata)
{
    AUSND_ClearErrorOnOwner();
    AUSND_Stream_Net_SetNetData(callback, userdata);
    return true;
}

bool AUSND_Stream_Net_SetBufferProperties(int buffersize, int prebuffer_percent, int rebuffer_percent)
{
    AUSND_ClearErrorOnOwner();
    if (buffersize <= 0 || prebuffer_percent < 1 || prebuffer_percent > 99 || rebuffer_percent < 1 ||
        rebuffer_percent > 99)
        return Fail(AUSND_ERR_INVALID_PARAM);
    AUSND_Sockbuf_ReadBufferSize = buffersize;
    AUSND_Sockbuf_PrebufferPercent = prebuffer_percent;
    AUSND_Sockbuf_RebufferPercent = rebuffer_percent;
    return true;
}

bool AUSND_Stream_Net_GetBufferProperties(int* buffersize, int* prebuffer_percent, int* rebuffer_percent)
{
    AUSND_ClearErrorOnOwner();
    if (buffersize)
        *buffersize = AUSND_Sockbuf_ReadBufferSize;
    if (prebuffer_percent)
        *prebuffer_percent = AUSND_Sockbuf_PrebufferPercent;
    if (rebuffer_percent)
        *rebuffer_percent = AUSND_Sockbuf_RebufferPercent;
    return true;
}

const char* AUSND_Stream_Net_GetLastServerStatus()
{
    AUSND_ClearErrorOnOwner();
    thread_local char status[AUSND_NET_MAXLINE];
    AUSND_Stream_Net_CopyLastServerStatus(status, sizeof(status));
    return status;
}

int AUSND_Stream_Net_OpenState(AUSND_STREAM* s)
{
    std::lock_guard<std::mutex> guard(g_OpenLock);
    AUSND_NETSTREAM* net = NetOf(s);
    if (!net)
        return 0;
    const int status = net->status.load();
    return status == AUSND_NET_STATUS_CONNECTING ? -4 : status == AUSND_NET_STATUS_BUFFERING ? -5 : 0;
}

void AUSND_Stream_Net_Shutdown()
{
    // Opens still running give up and release their own connections; the
    // open thread ends here so that none starts afterwards.
    {
        std::lock_guard<std::mutex> guard(g_OpenLock);
        g_ShuttingDown = true;
        for (const NetOwner& o : g_NetOwners)
            if (o.stream->opening)
                AUSND_Stream_Net_Abort(o.net);
    }
    AUSND_Async_ShutDown();
    // Streams left open lose their connections and end where they are; they
    // may still be closed afterwards.
    std::vector<NetOwner> owners;
    {
        std::lock_guard<std::mutex> guard(g_OpenLock);
        owners.swap(g_NetOwners);
        for (const NetOwner& o : owners)
            o.stream->net = nullptr;
    }
    for (const NetOwner& o : owners)
    {
        AUSND_STREAM* s = o.stream;
        if (s->format.codec == o.net)
            s->format.codec = nullptr;
        if (s->sample && s->sample->codec == o.net)
            s->sample->codec = nullptr;
        AUSND_Stream_Net_Close(o.net);
    }
    // With every connection closed the network thread ends by itself.
    AUSND_Sockbuf_Shutdown();
    AUSND_Stream_Net_ForgetSettings();
    std::lock_guard<std::mutex> guard(g_OpenLock);
    g_ShuttingDown = false;
}
