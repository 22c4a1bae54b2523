// An internet radio connection: the HTTP/ICY request with redirects, the
// response headers, ICY metadata taken out of the byte stream, and MPEG
// frames assembled from it and decoded.
#pragma once

#include "aulos/format_mpeg.h"
#include "aulos/net_http.h"
#include "aulos/net_sockbuf.h"

#include <atomic>
#include <mutex>

enum
{
    AUSND_NET_STATUS_CONNECTING = 1,
    AUSND_NET_STATUS_BUFFERING = 2,
    AUSND_NET_STATUS_STREAMING = 3,
    AUSND_NET_STATUS_STOPPED = 4,
    AUSND_NET_TIMEOUT_MS = 10000 // connect, a silent server, and the first buffering each
};

typedef void (*AUSND_NETDATACALLBACK)(const void* data, unsigned int bytes, void* userdata);

struct AUSND_NETSTREAM
{
    // Guards the socket pointer, which changes on redirects, against a cancel.
    std::mutex socketLock;
    std::atomic<bool> cancelled;
    AUSND_SOCKBUF* socket;
    AUSND_NETHEADERS headers;
    AUSND_METADATACALLBACK metadataCallback;
    void* metadataUserdata;
    uint32_t metaLeft; // audio bytes before the next metadata block
    bool metaInBlock;  // the length byte of a metadata block is taken
    int metaPending;   // metadata bytes still to read
    int metaFill;      // metadata bytes read so far
    char metadata[AUSND_NET_METADATA];
    uint64_t received;
    std::atomic<int> status;
    int redirects;
    int timeoutMs;
    char host[256];
    char path[AUSND_NET_MAXLINE];
    int port;
    // MPEG frame assembly
    AUSND_MPEG* mpeg;
    uint8_t frame[AUSND_MPEG_MAXFRAME];
    uint32_t frameHeld;
    uint32_t frameSize; // whole frame, header included; 0 while the header is incomplete
    int channels;
    int rate;
    std::atomic<int> bitrate; // kbit/s of the last frame
    int muteFrames;           // frames still to play silent
    int16_t firstPcm[2304];   // the frame read at open to learn the format, played first
    uint32_t firstBytes;
    AUSND_NETDATACALLBACK netDataCallback;
    void* netDataUserdata;
    // Ogg Vorbis content
    void* vorbis; // the decoder (OggVorbis_File), null for MPEG content
    // Once the decoder is open its reads take what the ring holds and never
    // wait: they run inside the stream thread's update pass.
    bool vorbisLive;
    bool sourceEnded; // the connection has delivered everything it will
    uint64_t nextCommentsAt;
};

// Connects, sends the request, follows up to 16 redirects and reads the
// headers, then waits for the first buffering. Null on failure (error 14 for
// a bad URL, 12 for memory, 11 for a refused, silent or unusable server).
AUSND_NETSTREAM* AUSND_Stream_Net_OpenUrl(const char* url, AUSND_METADATACALLBACK callback, void* userdata,
                                          int timeoutMs);
// The two halves of the above, for an opener that must be reachable by a
// cancel while it runs: an idle connection record, then the open proper
// (false with the error set; the caller closes the record).
AUSND_NETSTREAM* AUSND_Stream_Net_Alloc(AUSND_METADATACALLBACK callback, void* userdata, int timeoutMs);
bool AUSND_Stream_Net_Run(AUSND_NETSTREAM* net, const char* url);
// Makes a running open give up: it fails at its next step.
void AUSND_Stream_Net_Abort(AUSND_NETSTREAM* net);
// The proxy every later connection goes through: "user:password@host:port"
// (credentials and port optional); null or empty for none. False for a
// port that is not 1 to 65535 or a host that does not fit.
bool AUSND_Stream_Net_SetProxy(const char* proxy);
// A copy of the status line of the last answer received (empty before any).
void AUSND_Stream_Net_CopyLastServerStatus(char* out, size_t size);
// Given to every connection opened afterwards: the stream bytes it receives.
void AUSND_Stream_Net_SetNetData(AUSND_NETDATACALLBACK callback, void* userdata);
// The decoder's current bit rate in bit/s, 0 when it has none.
long AUSND_OggVorbis_Net_Bitrate(AUSND_NETSTREAM* net);
// Frees the proxy settings and the last status.
void AUSND_Stream_Net_ForgetSettings();
void AUSND_Stream_Net_Close(AUSND_NETSTREAM* net);
// Audio bytes with the ICY metadata blocks taken out (and dispatched); as
// AUSND_Sockbuf_Read otherwise.
int AUSND_Mpeg_Net_ReadBytes(AUSND_NETSTREAM* net, uint8_t* out, int bytes);
// Up to `bytes` of 16-bit interleaved PCM from an Ogg Vorbis stream; true
// with *bytesOut 0 means no data yet (silence); *ended when the stream is over.
bool AUSND_OggVorbis_Net_Read(AUSND_NETSTREAM* net, int16_t* pcmOut, uint32_t bytes, uint32_t* bytesOut,
                              bool* ended);
// One frame per call: true with the PCM when a frame was complete; false
// with bytes 0 while data is still on its way; *ended when the stream is over.
bool AUSND_Mpeg_Net_ReadFrame(AUSND_NETSTREAM* net, int16_t* pcmOut, uint32_t* bytesOut, bool* ended);
