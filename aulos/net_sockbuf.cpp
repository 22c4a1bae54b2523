// POSIX sockets and the network thread behind the socket buffers.
#include "aulos/net_sockbuf.h"

#include "aulos/system_memory.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

std::atomic<int> AUSND_Sockbuf_ReadBufferSize{64000};
std::atomic<int> AUSND_Sockbuf_WriteBufferSize{8192};
std::atomic<int> AUSND_Sockbuf_PrebufferPercent{95};
std::atomic<int> AUSND_Sockbuf_RebufferPercent{95};

namespace
{
std::mutex g_slotsLock;
AUSND_SOCKBUF* g_slots[AUSND_SOCKBUF_SLOTS];
std::thread g_thread;
// Asked to end: the thread goes on until every buffer has been closed and
// released, unless the wait for that runs out (then it is forced).
std::atomic<bool> g_exit{false};
std::atomic<bool> g_force{false};
std::mutex g_doneLock;
std::condition_variable g_doneSignal;
bool g_done = false;
bool g_running = false;
constexpr auto kShutdownWait = std::chrono::milliseconds(10240);

void Sleep10ms()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

uint32_t ReadFill(const AUSND_SOCKBUF* b)
{
    return (b->readWrite + b->readSize - b->readRead) % b->readSize;
}

void Release(AUSND_SOCKBUF* b)
{
    AUSND_Net_Close(b->endpoint);
    AUSND_Memory_Free(b->readRing);
    AUSND_Memory_Free(b->writeRing);
    b->~AUSND_SOCKBUF();
    AUSND_Memory_Free(b);
}

void Receive(AUSND_SOCKBUF* b)
{
    std::lock_guard<std::mutex> guard(b->lock);
    // One byte stays free so that a full ring differs from an empty one.
    uint32_t room;
    if (b->readWrite >= b->readRead)
        room = b->readSize - b->readWrite - (b->readRead == 0 ? 1u : 0u);
    else
        room = b->readRead - b->readWrite - 1;
    if (room == 0)
        return;
    const ssize_t got = recv(b->endpoint, b->readRing + b->readWrite, room, MSG_DONTWAIT);
    if (got > 0)
        b->readWrite = (b->readWrite + static_cast<uint32_t>(got)) % b->readSize;
    else if (got == 0)
        b->flags |= AUSND_SOCKBUF_REMOTECLOSED;
    else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
        b->flags |= AUSND_SOCKBUF_ERROR;
}

void Send(AUSND_SOCKBUF* b)
{
    std::lock_guard<std::mutex> guard(b->lock);
    if (b->writeRead == b->writeWrite)
        return;
    const uint32_t end = b->writeWrite > b->writeRead ? b->writeWrite : b->writeSize;
    const ssize_t sent = send(b->endpoint, b->writeRing + b->writeRead, end - b->writeRead, MSG_DONTWAIT | MSG_NOSIGNAL);
    if (sent > 0)
        b->writeRead = (b->writeRead + static_cast<uint32_t>(sent)) % b->writeSize;
    else if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
        b->flags |= AUSND_SOCKBUF_ERROR;
}

void UpdateBuffering(AUSND_SOCKBUF* b)
{
    const uint32_t f = b->flags;
    if (!(f & AUSND_SOCKBUF_BUFFERING))
        return;
    if (f & (AUSND_SOCKBUF_ERROR | AUSND_SOCKBUF_REMOTECLOSED))
    {
        b->flags &= ~static_cast<uint32_t>(AUSND_SOCKBUF_BUFFERING | AUSND_SOCKBUF_FIRSTBUFFERING);
        return;
    }
    std::lock_guard<std::mutex> guard(b->lock);
    const int percent = (f & AUSND_SOCKBUF_FIRSTBUFFERING) ? b->prebufferPercent : b->rebufferPercent;
    if (static_cast<uint64_t>(ReadFill(b)) * 100 >= static_cast<uint64_t>(b->readSize) * static_cast<uint32_t>(percent))
        b->flags &= ~static_cast<uint32_t>(AUSND_SOCKBUF_BUFFERING | AUSND_SOCKBUF_FIRSTBUFFERING);
}

void SignalDone()
{
    std::lock_guard<std::mutex> guard(g_doneLock);
    g_done = true;
    g_doneSignal.notify_all();
}

void ThreadMain()
{
    while (!g_force)
    {
        pollfd fds[AUSND_SOCKBUF_SLOTS];
        AUSND_SOCKBUF* owners[AUSND_SOCKBUF_SLOTS];
        nfds_t count = 0;
        {
            std::lock_guard<std::mutex> guard(g_slotsLock);
            bool inUse = false;
            for (AUSND_SOCKBUF*& slot : g_slots)
            {
                AUSND_SOCKBUF* b = slot;
                if (!b)
                    continue;
                if (b->flags & AUSND_SOCKBUF_CLOSE)
                {
                    Release(b);
                    slot = nullptr;
                    continue;
                }
                inUse = true;
                UpdateBuffering(b);
                if (b->flags & (AUSND_SOCKBUF_ERROR | AUSND_SOCKBUF_REMOTECLOSED))
                    continue;
                short events = 0;
                {
                    std::lock_guard<std::mutex> inner(b->lock);
                    if (static_cast<uint64_t>(ReadFill(b)) * 100 < static_cast<uint64_t>(b->readSize) * 99)
                        events |= POLLIN;
                    if (b->writeRead != b->writeWrite)
                        events |= POLLOUT;
                }
                if (!events)
                    continue;
                fds[count] = pollfd{b->endpoint, events, 0};
                owners[count++] = b;
            }
            if (g_exit && !inUse)
                break;
            if (count)
            {
                if (poll(fds, count, 5) > 0)
                    for (nfds_t i = 0; i < count; ++i)
                    {
                        if (fds[i].revents & (POLLIN | POLLHUP | POLLERR))
                            Receive(owners[i]);
                        if (fds[i].revents & POLLOUT)
                            Send(owners[i]);
                    }
                continue;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    SignalDone();
}
} // namespace

int AUSND_Net_Connect(const char* host, int port, int timeoutMs)
{
    if (!host || !*host || port <= 0 || port > 65535)
        return -1;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    char service[16];
    std::snprintf(service, sizeof(service), "%d", port);
    if (getaddrinfo(host, service, &hints, &found) != 0 || !found)
        return -1;
    int result = -1;
    for (addrinfo* a = found; a && result < 0; a = a->ai_next)
    {
        const int fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0)
            continue;
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        int rc = connect(fd, a->ai_addr, a->ai_addrlen);
        if (rc < 0 && errno == EINPROGRESS)
        {
            pollfd p{fd, POLLOUT, 0};
            rc = poll(&p, 1, timeoutMs) == 1 ? 0 : -1;
            int error = 0;
            socklen_t length = sizeof(error);
            if (rc == 0 && (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0))
                rc = -1;
        }
        if (rc == 0)
            result = fd;
        else
            close(fd);
    }
    freeaddrinfo(found);
    return result;
}

int AUSND_Net_Close(int endpoint)
{
    return endpoint >= 0 ? close(endpoint) : -1;
}

bool AUSND_Sockbuf_Init()
{
    std::lock_guard<std::mutex> guard(g_slotsLock);
    if (g_running)
        return true;
    g_exit = false;
    g_force = false;
    {
        std::lock_guard<std::mutex> done(g_doneLock);
        g_done = false;
    }
    g_thread = std::thread(ThreadMain);
    g_running = true;
    return true;
}

void AUSND_Sockbuf_Shutdown()
{
    {
        std::lock_guard<std::mutex> guard(g_slotsLock);
        if (!g_running)
            return;
        g_exit = true;
    }
    {
        std::unique_lock<std::mutex> done(g_doneLock);
        if (!g_doneSignal.wait_for(done, kShutdownWait, [] { return g_done; }))
            g_force = true;
    }
    g_thread.join();
    std::lock_guard<std::mutex> guard(g_slotsLock);
    for (AUSND_SOCKBUF*& slot : g_slots)
        if (slot)
        {
            Release(slot);
            slot = nullptr;
        }
    g_running = false;
}

bool AUSND_Sockbuf_IsRunning()
{
    std::lock_guard<std::mutex> guard(g_slotsLock);
    return g_running;
}

AUSND_SOCKBUF* AUSND_Sockbuf_Open(int endpoint)
{
    const int readSize = AUSND_Sockbuf_ReadBufferSize;
    const int writeSize = AUSND_Sockbuf_WriteBufferSize;
    if (endpoint < 0 || readSize < 2 || writeSize < 2)
        return nullptr;
    void* memory = AUSND_Memory_Calloc(sizeof(AUSND_SOCKBUF));
    if (!memory)
        return nullptr;
    AUSND_SOCKBUF* b = new (memory) AUSND_SOCKBUF();
    b->endpoint = endpoint;
    b->readSize = static_cast<uint32_t>(readSize);
    b->writeSize = static_cast<uint32_t>(writeSize);
    b->prebufferPercent = AUSND_Sockbuf_PrebufferPercent;
    b->rebufferPercent = AUSND_Sockbuf_RebufferPercent;
    b->readRing = static_cast<uint8_t*>(AUSND_Memory_Calloc(b->readSize));
    b->writeRing = static_cast<uint8_t*>(AUSND_Memory_Calloc(b->writeSize));
    b->flags = 0;
    std::lock_guard<std::mutex> guard(g_slotsLock);
    // A thread on its way out takes no new connection.
    if (b->readRing && b->writeRing && g_running && !g_exit)
        for (AUSND_SOCKBUF*& slot : g_slots)
            if (!slot)
            {
                slot = b;
                return b;
            }
    b->endpoint = -1; // the caller keeps its endpoint on failure
    Release(b);
    return nullptr;
}

void AUSND_Sockbuf_Close(AUSND_SOCKBUF* buffer)
{
    if (buffer)
        buffer->flags |= AUSND_SOCKBUF_CLOSE;
}

int AUSND_Sockbuf_Read(void* out, AUSND_SOCKBUF* b, int bytes)
{
    if (!b || bytes < 0)
        return -1;
    const uint32_t f = b->flags;
    if (f & AUSND_SOCKBUF_BUFFERING)
        return 0;
    std::lock_guard<std::mutex> guard(b->lock);
    uint32_t taken = 0;
    uint8_t* dst = static_cast<uint8_t*>(out);
    while (taken < static_cast<uint32_t>(bytes) && b->readRead != b->readWrite)
    {
        const uint32_t end = b->readWrite > b->readRead ? b->readWrite : b->readSize;
        uint32_t chunk = end - b->readRead;
        if (chunk > static_cast<uint32_t>(bytes) - taken)
            chunk = static_cast<uint32_t>(bytes) - taken;
        if (dst)
            std::memcpy(dst + taken, b->readRing + b->readRead, chunk);
        b->readRead = (b->readRead + chunk) % b->readSize;
        taken += chunk;
    }
    if (taken < static_cast<uint32_t>(bytes))
    {
        if (f & (AUSND_SOCKBUF_ERROR | AUSND_SOCKBUF_REMOTECLOSED))
            return taken ? static_cast<int>(taken) : -1;
        if (!(f & AUSND_SOCKBUF_HEADERPHASE))
            b->flags |= AUSND_SOCKBUF_BUFFERING;
    }
    return static_cast<int>(taken);
}

int AUSND_Sockbuf_Write(AUSND_SOCKBUF* b, const void* data, int bytes)
{
    if (!b || !data || bytes <= 0)
        return 0;
    std::lock_guard<std::mutex> guard(b->lock);
    const uint8_t* src = static_cast<const uint8_t*>(data);
    int done = 0;
    while (done < bytes)
    {
        const uint32_t next = (b->writeWrite + 1) % b->writeSize;
        if (next == b->writeRead)
            break;
        b->writeRing[b->writeWrite] = src[done++];
        b->writeWrite = next;
    }
    return done;
}

int AUSND_Sockbuf_WriteLine(AUSND_SOCKBUF* b, const char* format, ...)
{
    char line[AUSND_SOCKBUF_SLOTS * 256];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(line, sizeof(line), format, args);
    va_end(args);
    if (length < 0 || static_cast<size_t>(length) >= sizeof(line))
        return 0;
    return AUSND_Sockbuf_Write(b, line, length);
}

int AUSND_Sockbuf_ReadLine(AUSND_SOCKBUF* b, char* line, int size, int timeoutMs)
{
    if (!b || !line || size < 1)
        return -1;
    int length = 0;
    int waited = 0;
    for (;;)
    {
        if (b->flags & AUSND_SOCKBUF_ABORT)
            return -1;
        char c = 0;
        const int got = AUSND_Sockbuf_Read(&c, b, 1);
        if (got < 0)
            return -1;
        if (got == 0)
        {
            if (waited >= timeoutMs)
                return -1;
            Sleep10ms();
            waited += 10;
            continue;
        }
        waited = 0;
        if (c == '\n')
            break;
        if (c == '\r')
            continue;
        line[length++] = c;
        if (length == size - 1)
            break; // an over-long line comes back in pieces
    }
    line[length] = 0;
    return length;
}

bool AUSND_Sockbuf_Prebuffer(AUSND_SOCKBUF* b, bool wait, int timeoutMs)
{
    if (!b)
        return false;
    b->flags |= AUSND_SOCKBUF_BUFFERING | AUSND_SOCKBUF_FIRSTBUFFERING;
    if (!wait)
        return true;
    for (int waited = 0; waited <= timeoutMs; waited += 10)
    {
        const uint32_t f = b->flags;
        if (f & (AUSND_SOCKBUF_ERROR | AUSND_SOCKBUF_ABORT))
            return false;
        if (!(f & AUSND_SOCKBUF_BUFFERING))
            return true;
        Sleep10ms();
    }
    return false;
}

int AUSND_Sockbuf_FillPercent(AUSND_SOCKBUF* b)
{
    if (!b)
        return 0;
    std::lock_guard<std::mutex> guard(b->lock);
    return static_cast<int>(static_cast<uint64_t>(ReadFill(b)) * 100 / b->readSize);
}

uint32_t AUSND_Sockbuf_FillBytes(AUSND_SOCKBUF* b)
{
    if (!b)
        return 0;
    std::lock_guard<std::mutex> guard(b->lock);
    return ReadFill(b);
}
