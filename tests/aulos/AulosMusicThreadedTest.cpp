// Background song loads on the sound system's open thread, reading through
// the file layer and the caller's file callbacks.
#include "ModuleWriter.h"
#include "aulos/aumus.h"
#include "aulos/aumus_song.h"
#include "aulos/ausnd.h"
#include "aulos/system_file.h"
#include "aulos/system_thread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <vector>

namespace
{
// The one module the file callbacks serve, and the thread that read it.
struct ServedFile
{
    std::vector<uint8_t> bytes;
    size_t position = 0;
    std::atomic<AUSND_THREADID> reader{0};
};
ServedFile* g_pServed = nullptr;

void* ServeOpen(const char* name)
{
    if (std::strcmp(name, "song.it") != 0)
        return nullptr;
    g_pServed->position = 0;
    return g_pServed;
}

void ServeClose(void*) {}

int ServeRead(void* buffer, int size, void* handle)
{
    ServedFile* f = static_cast<ServedFile*>(handle);
    f->reader = AUSND_Thread_GetCurrentID();
    const size_t n = std::min(static_cast<size_t>(size), f->bytes.size() - f->position);
    std::memcpy(buffer, f->bytes.data() + f->position, n);
    f->position += n;
    return static_cast<int>(n);
}

int ServeSeek(void* handle, int pos, signed char origin)
{
    ServedFile* f = static_cast<ServedFile*>(handle);
    const long base = origin == 0 ? 0 : (origin == 1 ? static_cast<long>(f->position) : static_cast<long>(f->bytes.size()));
    const long target = base + pos;
    if (target < 0 || target > static_cast<long>(f->bytes.size()))
        return -1;
    f->position = static_cast<size_t>(target);
    return 0;
}

int ServeTell(void* handle)
{
    return static_cast<int>(static_cast<ServedFile*>(handle)->position);
}

struct Marker
{
    std::mutex lock;
    std::condition_variable done;
    bool reached = false;
};

void Reach(AUSND_ASYNCITEM* item)
{
    Marker* marker = static_cast<Marker*>(item->target);
    std::lock_guard<std::mutex> hold(marker->lock);
    marker->reached = true;
    marker->done.notify_all();
}

// The open thread takes its items in order: once an item queued after the
// loads has run, the loads have ended.
void WaitForOpenThread()
{
    Marker marker;
    AUSND_ASYNCITEM item{nullptr, nullptr, &marker, 0, Reach};
    ASSERT_TRUE(AUSND_Async_Add(&item));
    std::unique_lock<std::mutex> hold(marker.lock);
    marker.done.wait(hold, [&marker] { return marker.reached; });
}

ModuleSong SmallSong()
{
    ModuleSong song;
    song.name = "background";
    song.channels = 4;
    song.samples.push_back(SineSample("sine", 1024, 32));
    song.AddPatterns(1);
    song.orders = {0};
    song.Cell(0, 0, 0) = {49, 1, 0, 0, 0};
    return song;
}
} // namespace

TEST(AulosMusicThreaded, BackgroundLoadsReadThroughTheFileLayerOnTheOpenThread)
{
    ASSERT_TRUE(AUSND_SetOutput(AUSND_OUTPUT_NOSOUND));
    ASSERT_TRUE(AUSND_Init(44100, 16, 0));
    ServedFile served;
    served.bytes = WriteIT(SmallSong());
    g_pServed = &served;
    AUSND_File_SetCallbacks(ServeOpen, ServeClose, ServeRead, ServeSeek, ServeTell);

    AUMUS_SONG* song = AUMUS_LoadSongEx("song.it", 0, 0, AUSND_NONBLOCKING, nullptr, 0);
    ASSERT_NE(song, nullptr);
    AUMUS_SONG* missing = AUMUS_LoadSongEx("missing.it", 0, 0, AUSND_NONBLOCKING, nullptr, 0);
    ASSERT_NE(missing, nullptr);
    // Freed while it may still be queued or loading: the free waits or calls it off.
    AUMUS_SONG* dropped = AUMUS_LoadSongEx("song.it", 0, 0, AUSND_NONBLOCKING, nullptr, 0);
    ASSERT_NE(dropped, nullptr);
    EXPECT_TRUE(AUMUS_FreeSong(dropped));
    WaitForOpenThread();

    EXPECT_EQ(AUMUS_GetOpenState(song), 0);
    EXPECT_EQ(AUMUS_GetType(song), AUMUS_TYPE_IT);
    EXPECT_STREQ(AUMUS_GetName(song), "background");
    EXPECT_NE(served.reader.load(), AUSND_Thread_GetCurrentID());
    EXPECT_EQ(AUMUS_GetOpenState(missing), -3);
    EXPECT_TRUE(AUMUS_PlaySong(song));
    EXPECT_TRUE(AUMUS_FreeSong(song));
    EXPECT_TRUE(AUMUS_FreeSong(missing));

    // Loaded at once, the song comes through the callbacks too.
    AUMUS_SONG* direct = AUMUS_LoadSong("song.it");
    ASSERT_NE(direct, nullptr) << AUSND_GetError();
    EXPECT_EQ(AUMUS_GetNumOrders(direct), 1);
    EXPECT_TRUE(AUMUS_FreeSong(direct));
    EXPECT_EQ(AUMUS_LoadSong("missing.it"), nullptr);
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_FILE_NOTFOUND);

    AUSND_File_SetCallbacks(nullptr, nullptr, nullptr, nullptr, nullptr);
    g_pServed = nullptr;
    AUSND_Close();
}
