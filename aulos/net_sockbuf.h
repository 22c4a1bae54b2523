// TCP connections and their socket buffers: one network thread moves bytes
// between the sockets and each buffer's read and write rings, so readers
// never block on the network.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

enum : uint32_t
{
    AUSND_SOCKBUF_CLOSE = 0x1,
    AUSND_SOCKBUF_BUFFERING = 0x2,
    AUSND_SOCKBUF_ERROR = 0x4,
    AUSND_SOCKBUF_FIRSTBUFFERING = 0x10,
    AUSND_SOCKBUF_HEADERPHASE = 0x20,
    AUSND_SOCKBUF_REMOTECLOSED = 0x40,
    AUSND_SOCKBUF_ABORT = 0x800,
    AUSND_SOCKBUF_SLOTS = 32
};

// Copied into each buffer at open; set from the caller's thread while an
// open may run on another.
extern std::atomic<int> AUSND_Sockbuf_ReadBufferSize;   // 64000
extern std::atomic<int> AUSND_Sockbuf_WriteBufferSize;  // 8192
extern std::atomic<int> AUSND_Sockbuf_PrebufferPercent; // 95
extern std::atomic<int> AUSND_Sockbuf_RebufferPercent;  // 95

struct AUSND_SOCKBUF
{
    std::atomic<uint32_t> flags;
    int endpoint;
    uint32_t readSize;
    uint32_t writeSize;
    int prebufferPercent;
    int rebufferPercent;
    uint8_t* readRing;
    uint32_t readWrite; // filled by the network thread
    uint32_t readRead;  // emptied by the reader
    uint8_t* writeRing;
    uint32_t writeWrite;
    uint32_t writeRead;
    std::mutex lock;
};

// A connected TCP socket to host:port, or -1. Fails within `timeoutMs` when
// the host does not answer, at once when it refuses.
int AUSND_Net_Connect(const char* host, int port, int timeoutMs);
int AUSND_Net_Close(int endpoint);

bool AUSND_Sockbuf_Init();
// Asks the network thread to end once every buffer has been closed, waits
// for it (forcing it after about ten seconds) and releases what is left.
void AUSND_Sockbuf_Shutdown();
// Whether the network thread exists.
bool AUSND_Sockbuf_IsRunning();
// Takes over the endpoint; null when all 32 slots are in use or memory runs out.
AUSND_SOCKBUF* AUSND_Sockbuf_Open(int endpoint);
// Hands the buffer to the network thread for release.
void AUSND_Sockbuf_Close(AUSND_SOCKBUF* buffer);
// Bytes taken (a null buffer discards), 0 while buffering, -1 once the
// connection has ended and nothing is left.
int AUSND_Sockbuf_Read(void* out, AUSND_SOCKBUF* buffer, int bytes);
int AUSND_Sockbuf_Write(AUSND_SOCKBUF* buffer, const void* data, int bytes);
int AUSND_Sockbuf_WriteLine(AUSND_SOCKBUF* buffer, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
// One line without CR and LF, at most size - 1 characters; -1 on error, end
// of connection, abort, or when no byte arrives for `timeoutMs`.
int AUSND_Sockbuf_ReadLine(AUSND_SOCKBUF* buffer, char* line, int size, int timeoutMs);
// Starts buffering; with `wait` polls until the thread ends it, an error
// occurs or `timeoutMs` passes (false then).
bool AUSND_Sockbuf_Prebuffer(AUSND_SOCKBUF* buffer, bool wait, int timeoutMs);
// Read-ring fill in bytes.
uint32_t AUSND_Sockbuf_FillBytes(AUSND_SOCKBUF* buffer);
// Read-ring fill in percent.
int AUSND_Sockbuf_FillPercent(AUSND_SOCKBUF* buffer);
