// The file layer and the asynchronous open thread of the sound system.
#include "aulos/system_file.h"

#include "aulos/ausnd_device.h"

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <new>

namespace
{
AUSND_OPENCALLBACK g_pOpen = nullptr;
AUSND_CLOSECALLBACK g_pClose = nullptr;
AUSND_READCALLBACK g_pRead = nullptr;
AUSND_SEEKCALLBACK g_pSeek = nullptr;
AUSND_TELLCALLBACK g_pTell = nullptr;

int Kind(const AUSND_FILE* file)
{
    return file->kind & AUSND_FILE_KINDMASK;
}

int32_t ClampTo(int64_t value, int64_t low, int64_t high)
{
    return static_cast<int32_t>(value < low ? low : (value > high ? high : value));
}

// ---------------------------------------------------------------- underlying data

bool OpenDisk(AUSND_FILE* file, const char* name)
{
    file->disk = std::fopen(name, "rb");
    if (!file->disk)
        return false;
    if (std::fseek(file->disk, 0, SEEK_END) != 0)
        return false;
    const auto size = std::ftell(file->disk);
    if (size < 0 || size > INT32_MAX || std::fseek(file->disk, 0, SEEK_SET) != 0)
        return false;
    file->length = static_cast<int32_t>(size);
    return true;
}

bool OpenUser(AUSND_FILE* file, const char* name)
{
    if (!AUSND_File_UsingFileCallbacks())
        return false;
    file->userhandle = g_pOpen(name);
    if (!file->userhandle)
        return false;
    g_pSeek(file->userhandle, 0, 2);
    const int size = g_pTell(file->userhandle);
    g_pSeek(file->userhandle, 0, 0);
    file->length = size < 0 ? 0 : size;
    return true;
}

void ReleaseRecord(AUSND_FILE* file)
{
    if (file->disk)
        std::fclose(file->disk);
    if (file->userhandle && g_pClose)
        g_pClose(file->userhandle);
    AUSND_Memory_Free(file->buffer);
    file->~AUSND_FILE();
    AUSND_Memory_Free(file);
}

void SwapItems(uint8_t* data, int bytes, int size)
{
    if (size != 2 && size != 4)
        return;
    for (int i = 0; i + size <= bytes; i += size)
    {
        for (int a = 0, b = size - 1; a < b; ++a, --b)
        {
            const uint8_t t = data[i + a];
            data[i + a] = data[i + b];
            data[i + b] = t;
        }
    }
}

// Points the buffer and the disk file at a position again: the next read
// loads the block that holds it.
void Resync(AUSND_FILE* file, int32_t position)
{
    const int32_t block = position / AUSND_FILE_BUFFERSIZE * AUSND_FILE_BUFFERSIZE;
    std::fseek(file->disk, block, SEEK_SET);
    file->bufferoffset = position - block;
    file->refill = 1;
}

// A failed read leaves the position where it was.
int ReadBuffered(AUSND_FILE* file, uint8_t* dest, int wanted)
{
    int total = 0;
    while (total < wanted)
    {
        const int left = wanted - total;
        if (left >= AUSND_FILE_BUFFERSIZE && file->bufferoffset == 0 && file->refill)
        {
            // Whole blocks go straight to the caller; the buffer stays unloaded.
            const size_t straight = static_cast<size_t>(left / AUSND_FILE_BUFFERSIZE * AUSND_FILE_BUFFERSIZE);
            if (std::fread(dest + total, 1, straight, file->disk) != straight)
            {
                Resync(file, file->position);
                return -1;
            }
            total += static_cast<int>(straight);
            continue;
        }
        int chunk = AUSND_FILE_BUFFERSIZE - file->bufferoffset;
        if (chunk > left)
            chunk = left;
        if (file->refill)
        {
            // A block at the end of the file is short; it must still hold
            // what this read takes from it.
            const size_t got = std::fread(file->buffer, 1, AUSND_FILE_BUFFERSIZE, file->disk);
            if (got < static_cast<size_t>(file->bufferoffset + chunk))
            {
                Resync(file, file->position);
                return -1;
            }
            file->refill = 0;
        }
        std::memcpy(dest + total, file->buffer + file->bufferoffset, static_cast<size_t>(chunk));
        total += chunk;
        file->bufferoffset += chunk;
        if (file->bufferoffset == AUSND_FILE_BUFFERSIZE)
        {
            file->bufferoffset = 0;
            file->refill = 1;
        }
    }
    return total;
}

int ReallyRead(AUSND_FILE* file, void* buffer, int size, int count)
{
    const int64_t asked = static_cast<int64_t>(size) * count;
    int bytes = asked > INT32_MAX ? INT32_MAX : static_cast<int>(asked);
    const int remaining = file->length - file->position;
    int result = 0;
    switch (Kind(file))
    {
    case AUSND_FILE_MEMORY:
        if (bytes > remaining)
            bytes = remaining < 0 ? 0 : remaining;
        std::memcpy(buffer, file->memory + file->position, static_cast<size_t>(bytes));
        result = bytes;
        file->position += bytes;
        break;
    case AUSND_FILE_DISK:
        result = static_cast<int>(std::fread(buffer, 1, static_cast<size_t>(bytes), file->disk));
        file->position += result;
        break;
    case AUSND_FILE_USER:
        result = g_pRead ? g_pRead(buffer, bytes, file->userhandle) : -1;
        file->position += bytes;
        break;
    case AUSND_FILE_BUFFERED:
        if (bytes > remaining)
            bytes = remaining < 0 ? 0 : remaining;
        result = bytes > 0 ? ReadBuffered(file, static_cast<uint8_t*>(buffer), bytes) : -1;
        if (result > 0)
            file->position += result;
        break;
    default:
        result = -1;
        break;
    }
    if (result > 0 && (file->kind & AUSND_FILE_SWAP))
        SwapItems(static_cast<uint8_t*>(buffer), result, size);
    file->error = result < 0 ? 1 : 0;
    return result;
}

int ReallySeek(AUSND_FILE* file, int offset, int origin)
{
    int64_t target = 0;
    switch (origin)
    {
    case 0:
        target = offset;
        break;
    case 1:
        target = static_cast<int64_t>(file->position) + offset;
        break;
    case 2:
        target = static_cast<int64_t>(file->length) + offset;
        break;
    default:
        return -1;
    }
    const int32_t to = ClampTo(target, 0, file->length);
    switch (Kind(file))
    {
    case AUSND_FILE_MEMORY:
        file->position = to;
        return to;
    case AUSND_FILE_DISK:
        if (std::fseek(file->disk, to, SEEK_SET) != 0)
            return -1;
        file->position = to;
        return to;
    case AUSND_FILE_USER:
        if (!g_pSeek || g_pSeek(file->userhandle, to, 0) != 0)
            return -1;
        file->position = to;
        return to;
    case AUSND_FILE_BUFFERED:
    {
        // Only a target inside the buffer's own block may move the buffer
        // offset; anywhere else, backward included, the disk file seeks.
        const int32_t blockstart = file->position - file->bufferoffset;
        const int32_t inblock = to - blockstart;
        if (inblock >= 0 && inblock < AUSND_FILE_BUFFERSIZE)
        {
            file->bufferoffset = inblock;
            file->position = to;
            return to;
        }
        Resync(file, to);
        file->position = to;
        return to;
    }
    default:
        return -1;
    }
}

// ---------------------------------------------------------------- request worker

struct FileRequest
{
    int type; // 0 read, 1 seek, -1 cancelled
    AUSND_FILE* file;
    void* buffer;
    int size;
    int count;
    int offset;
    int origin;
    bool busy;
};

struct RequestQueue
{
    std::mutex lock;
    std::condition_variable wake;
    std::condition_variable done;
    FileRequest entries[AUSND_FILE_QUEUELENGTH]{};
    unsigned int produced = 0;
    unsigned int consumed = 0;
    bool running = false;
    AUSND_THREADHANDLE thread = nullptr;
};

RequestQueue& Queue()
{
    static RequestQueue s_queue;
    return s_queue;
}

int ReadThread(void*)
{
    RequestQueue& q = Queue();
    std::unique_lock<std::mutex> hold(q.lock);
    while (q.running)
    {
        q.wake.wait(hold, [&q] { return !q.running || q.consumed != q.produced; });
        while (q.running && q.consumed != q.produced)
        {
            FileRequest& r = q.entries[q.consumed % AUSND_FILE_QUEUELENGTH];
            r.busy = true;
            hold.unlock();
            if (r.type == 0)
                ReallyRead(r.file, r.buffer, r.size, r.count);
            else if (r.type == 1)
                ReallySeek(r.file, r.offset, r.origin);
            hold.lock();
            r.busy = false;
            --r.file->pending;
            ++q.consumed;
            q.done.notify_all();
        }
    }
    return 0;
}

bool StartWorker()
{
    RequestQueue& q = Queue();
    std::lock_guard<std::mutex> hold(q.lock);
    if (q.thread)
        return q.running;
    q.running = true;
    q.thread = AUSND_Thread_Create(ReadThread, nullptr, -1, 2048);
    if (!q.thread || AUSND_Output_IsNonRealTime(AUSND_CurrentDevice->outputtype))
    {
        // No worker may run: files stay blocking.
        q.running = false;
        q.thread = nullptr;
    }
    return q.running;
}

void WaitForPending(AUSND_FILE* file)
{
    if (file->pending.load() == 0)
        return;
    RequestQueue& q = Queue();
    std::unique_lock<std::mutex> hold(q.lock);
    q.done.wait(hold, [file] { return file->pending.load() == 0; });
}

// Queues one request; false when the ring is full (the caller then waits).
bool Enqueue(const FileRequest& request)
{
    RequestQueue& q = Queue();
    std::unique_lock<std::mutex> hold(q.lock);
    q.done.wait(hold, [&q] { return q.produced - q.consumed < AUSND_FILE_QUEUELENGTH; });
    q.entries[q.produced % AUSND_FILE_QUEUELENGTH] = request;
    ++request.file->pending;
    ++q.produced;
    q.wake.notify_all();
    return true;
}

// ---------------------------------------------------------------- asynchronous opens

struct AsyncState
{
    std::mutex lock; // the list is filled by callers and emptied by the open thread
    std::condition_variable wake;
    AUSND_ASYNCITEM head{&head, &head, nullptr, 0, nullptr};
    int shutdown = 0; // 0 running, 1 requested, 2 acknowledged
    AUSND_THREADHANDLE thread = nullptr;
    bool inline_only = false; // no thread may exist: items open at once
};

AsyncState& Async()
{
    static AsyncState s_async;
    return s_async;
}

void Unlink(AUSND_ASYNCITEM* item)
{
    item->prev->next = item->next;
    item->next->prev = item->prev;
    item->next = nullptr;
    item->prev = nullptr;
}

void RunItem(AUSND_ASYNCITEM* item)
{
    if (item->open)
        item->open(item);
}

int AsyncThread(void*)
{
    AsyncState& a = Async();
    std::unique_lock<std::mutex> hold(a.lock);
    while (a.shutdown == 0)
    {
        if (a.head.next == &a.head)
        {
            a.wake.wait_for(hold, std::chrono::milliseconds(50));
            continue;
        }
        AUSND_ASYNCITEM* item = a.head.next;
        Unlink(item);
        hold.unlock();
        if (item->target)
            RunItem(item);
        else
            AUSND_Time_Sleep(25);
        hold.lock();
    }
    a.shutdown = 2;
    a.wake.notify_all();
    return 0;
}
} // namespace

// ---------------------------------------------------------------- public file calls

void AUSND_File_SetCallbacks(AUSND_OPENCALLBACK useropen, AUSND_CLOSECALLBACK userclose, AUSND_READCALLBACK userread,
                             AUSND_SEEKCALLBACK userseek, AUSND_TELLCALLBACK usertell)
{
    const bool all = useropen && userclose && userread && userseek && usertell;
    g_pOpen = all ? useropen : nullptr;
    g_pClose = all ? userclose : nullptr;
    g_pRead = all ? userread : nullptr;
    g_pSeek = all ? userseek : nullptr;
    g_pTell = all ? usertell : nullptr;
}

bool AUSND_File_UsingFileCallbacks()
{
    return g_pOpen && g_pClose && g_pRead && g_pSeek && g_pTell;
}

AUSND_FILE* AUSND_File_Open(const char* name, int kind, int length)
{
    if (!name)
        return nullptr;
    void* memory = AUSND_Memory_Calloc(sizeof(AUSND_FILE));
    if (!memory)
    {
        AUSND_ErrorNo = AUSND_ERR_MEMORY;
        return nullptr;
    }
    AUSND_FILE* file = new (memory) AUSND_FILE{};
    file->kind = static_cast<uint8_t>(kind);
    file->blocking = 1;
    file->endoffset = -1;
    bool opened = true;
    switch (kind & AUSND_FILE_KINDMASK)
    {
    case AUSND_FILE_MEMORY:
        opened = length > 0;
        file->memory = reinterpret_cast<const uint8_t*>(name);
        file->length = length;
        break;
    case AUSND_FILE_DISK:
        opened = OpenDisk(file, name);
        break;
    case AUSND_FILE_USER:
        opened = OpenUser(file, name);
        break;
    case AUSND_FILE_BUFFERED:
        file->buffer = static_cast<uint8_t*>(AUSND_Memory_Alloc(AUSND_FILE_BUFFERSIZE));
        file->refill = 1;
        if (!file->buffer)
            AUSND_ErrorNo = AUSND_ERR_MEMORY;
        opened = file->buffer && OpenDisk(file, name);
        break;
    default:
        break;
    }
    if (!opened)
    {
        ReleaseRecord(file);
        return nullptr;
    }
    return file;
}

void AUSND_File_Close(AUSND_FILE* file)
{
    if (!file)
        return;
    WaitForPending(file);
    ReleaseRecord(file);
}

int AUSND_File_Read(void* buffer, int size, int count, AUSND_FILE* file)
{
    if (!file || !buffer)
        return -1;
    if (size <= 0)
        size = 1;
    if (count <= 0)
        return 0;
    if (file->endoffset >= 0)
    {
        const int64_t available = static_cast<int64_t>(file->endoffset) + 1 - file->logicalposition;
        if (static_cast<int64_t>(size) * count > available)
            count = available > 0 ? static_cast<int>(available / size) : 0;
    }
    int result = 0;
    if (file->blocking)
    {
        WaitForPending(file);
        result = count > 0 ? ReallyRead(file, buffer, size, count) : 0;
    }
    else
    {
        Enqueue(FileRequest{0, file, buffer, size, count, 0, 0, false});
        result = size * count;
    }
    if (result > 0)
        file->logicalposition += result;
    return result;
}

int AUSND_File_Seek(AUSND_FILE* file, int offset, int origin)
{
    if (!file)
        return -1;
    int64_t target = offset;
    if (origin == 0)
        target += file->startoffset;
    else if (origin == 1)
        target += file->logicalposition;
    else if (origin == 2)
        target += file->endoffset >= 0 ? static_cast<int64_t>(file->endoffset) + 1 : file->length;
    else
        return -1;
    if (file->endoffset >= 0 && origin != 2 && target > static_cast<int64_t>(file->endoffset) + 1)
        target = static_cast<int64_t>(file->endoffset) + 1;
    const int32_t absolute = ClampTo(target, 0, file->length);
    int result = 0;
    if (file->blocking)
    {
        WaitForPending(file);
        result = ReallySeek(file, absolute, 0);
    }
    else
    {
        Enqueue(FileRequest{1, file, nullptr, 0, 0, absolute, 0, false});
        result = absolute;
    }
    if (result >= 0)
        file->logicalposition = result;
    return result;
}

int AUSND_File_Tell(AUSND_FILE* file)
{
    if (!file)
        return 0;
    if (!file->blocking)
        return file->logicalposition - file->startoffset;
    WaitForPending(file);
    if (Kind(file) == AUSND_FILE_USER && g_pTell)
        return g_pTell(file->userhandle) - file->startoffset;
    return file->position - file->startoffset;
}

int AUSND_File_GetChar(AUSND_FILE* file)
{
    uint8_t c = 0;
    if (AUSND_File_Read(&c, 1, 1, file) != 1)
        return 0;
    return c;
}

int AUSND_File_GetWord(AUSND_FILE* file)
{
    uint8_t w[2] = {0, 0};
    if (!file || AUSND_File_Read(w, 2, 1, file) != 2)
        return 0;
    return w[0] | (w[1] << 8);
}

void AUSND_File_SetStartOffset(AUSND_FILE* file, int offset)
{
    if (file)
        file->startoffset = offset < 0 ? 0 : offset;
}

void AUSND_File_SetEndOffset(AUSND_FILE* file, int offset)
{
    if (file)
        file->endoffset = offset < 0 ? -1 : offset;
}

void AUSND_File_SetBlocking(AUSND_FILE* file, bool blocking)
{
    if (!file)
        return;
    if (blocking)
    {
        WaitForPending(file);
        file->blocking = 1;
        return;
    }
    file->logicalposition = file->position;
    file->blocking = StartWorker() ? 0 : 1;
}

void AUSND_File_ClearQueue(AUSND_FILE* file)
{
    RequestQueue& q = Queue();
    std::lock_guard<std::mutex> hold(q.lock);
    for (unsigned int i = q.consumed; i != q.produced; ++i)
    {
        FileRequest& r = q.entries[i % AUSND_FILE_QUEUELENGTH];
        if (r.file == file && !r.busy)
            r.type = -1;
    }
}

void AUSND_File_WaitForQueueToDrain(AUSND_FILE* file)
{
    if (file)
        WaitForPending(file);
}

void AUSND_File_ShutDown()
{
    RequestQueue& q = Queue();
    AUSND_THREADHANDLE thread = nullptr;
    {
        std::lock_guard<std::mutex> hold(q.lock);
        q.running = false;
        thread = q.thread;
        q.thread = nullptr;
        q.wake.notify_all();
    }
    AUSND_Thread_Destroy(thread);
}

// ---------------------------------------------------------------- asynchronous open thread

void AUSND_Async_Init()
{
    AsyncState& a = Async();
    std::lock_guard<std::mutex> hold(a.lock);
    a.head.next = &a.head;
    a.head.prev = &a.head;
    a.shutdown = 0;
}

bool AUSND_Async_CreateThread()
{
    AsyncState& a = Async();
    std::lock_guard<std::mutex> hold(a.lock);
    if (a.thread)
        return true;
    a.shutdown = 0;
    a.thread = AUSND_Thread_Create(AsyncThread, nullptr, 1, 16384);
    if (!a.thread)
    {
        AUSND_ErrorNo = AUSND_ERR_MEMORY;
        return false;
    }
    a.inline_only = AUSND_Output_IsNonRealTime(AUSND_CurrentDevice->outputtype);
    return true;
}

bool AUSND_Async_Add(AUSND_ASYNCITEM* item)
{
    if (!item || !AUSND_Async_CreateThread())
        return false;
    AsyncState& a = Async();
    {
        std::lock_guard<std::mutex> hold(a.lock);
        if (!a.inline_only)
        {
            item->next = &a.head;
            item->prev = a.head.prev;
            a.head.prev->next = item;
            a.head.prev = item;
            a.wake.notify_all();
            return true;
        }
    }
    RunItem(item);
    return true;
}

bool AUSND_Async_Remove(AUSND_ASYNCITEM* item)
{
    AsyncState& a = Async();
    std::lock_guard<std::mutex> hold(a.lock);
    if (!item || !item->next)
        return false;
    Unlink(item);
    return true;
}

void AUSND_Async_ShutDown()
{
    AsyncState& a = Async();
    AUSND_THREADHANDLE thread = nullptr;
    {
        std::unique_lock<std::mutex> hold(a.lock);
        if (!a.thread)
            return;
        if (!a.inline_only)
        {
            a.shutdown = 1;
            a.wake.notify_all();
            a.wake.wait(hold, [&a] { return a.shutdown == 2; });
        }
        thread = a.thread;
        a.thread = nullptr;
        a.inline_only = false;
    }
    AUSND_Thread_Destroy(thread);
}
