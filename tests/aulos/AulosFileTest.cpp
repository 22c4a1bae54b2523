#include "aulos/ausnd_device.h"
#include "aulos/system_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <random>
#include <string>
#include <vector>

namespace
{
std::vector<uint8_t> Pattern(size_t size)
{
    std::vector<uint8_t> data(size);
    uint32_t x = 12345;
    for (auto& b : data)
    {
        x = x * 1103515245u + 12345u;
        b = static_cast<uint8_t>(x >> 16);
    }
    return data;
}

std::string WriteTemp(const std::string& name, const std::vector<uint8_t>& data)
{
    const std::string path = ::testing::TempDir() + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    EXPECT_NE(f, nullptr);
    if (f)
    {
        std::fwrite(data.data(), 1, data.size(), f);
        std::fclose(f);
    }
    return path;
}

class AulosFile : public ::testing::TestWithParam<int>
{
protected:
    void SetUp() override
    {
        m_data = Pattern(9000);
        m_sPath = WriteTemp("aulos_file_layer.bin", m_data);
    }

    AUSND_FILE* OpenKind(int kind)
    {
        if ((kind & AUSND_FILE_KINDMASK) == AUSND_FILE_MEMORY)
            return AUSND_File_Open(reinterpret_cast<const char*>(m_data.data()), kind,
                                   static_cast<int>(m_data.size()));
        return AUSND_File_Open(m_sPath.c_str(), kind, 0);
    }

    std::vector<uint8_t> ReadBytes(AUSND_FILE* file, int count)
    {
        std::vector<uint8_t> out(static_cast<size_t>(count));
        const int got = AUSND_File_Read(out.data(), 1, count, file);
        out.resize(got > 0 ? static_cast<size_t>(got) : 0);
        return out;
    }

    std::vector<uint8_t> Slice(size_t from, size_t count) const
    {
        return std::vector<uint8_t>(m_data.begin() + static_cast<long>(from),
                                    m_data.begin() + static_cast<long>(from + count));
    }

    std::vector<uint8_t> m_data;
    std::string m_sPath;
};
} // namespace

TEST_P(AulosFile, ReadsInPiecesEqualOneRead)
{
    AUSND_FILE* file = OpenKind(GetParam());
    ASSERT_NE(file, nullptr);
    std::vector<uint8_t> pieces;
    for (int n : {1000, 3000, 100})
    {
        const std::vector<uint8_t> piece = ReadBytes(file, n);
        pieces.insert(pieces.end(), piece.begin(), piece.end());
    }
    EXPECT_EQ(pieces, Slice(0, 4100));
    EXPECT_EQ(AUSND_File_Tell(file), 4100);
    // The rest, asked for generously, ends at the end of the data.
    EXPECT_EQ(ReadBytes(file, 10000), Slice(4100, 4900));
    AUSND_File_Close(file);
}

TEST_P(AulosFile, RandomSeeksAndReadsMatchTheData)
{
    // Backward seeks outside the buffer's block, forward ones inside it and
    // reads across block edges all come back with the right bytes.
    AUSND_FILE* file = OpenKind(GetParam());
    ASSERT_NE(file, nullptr);
    std::mt19937 random(7);
    for (int i = 0; i < 400; ++i)
    {
        const int target = static_cast<int>(random() % m_data.size());
        const int count = static_cast<int>(random() % 5000);
        const int origin = static_cast<int>(random() % 3);
        int offset = target;
        if (origin == 1)
            offset = target - AUSND_File_Tell(file);
        else if (origin == 2)
            offset = target - static_cast<int>(m_data.size());
        ASSERT_EQ(AUSND_File_Seek(file, offset, origin), target);
        const size_t expected = std::min(static_cast<size_t>(count), m_data.size() - static_cast<size_t>(target));
        ASSERT_EQ(ReadBytes(file, count), Slice(static_cast<size_t>(target), expected)) << "step " << i;
    }
    AUSND_File_Close(file);
}

TEST_P(AulosFile, WindowBoundsReadsAndSeeks)
{
    AUSND_FILE* file = OpenKind(GetParam());
    ASSERT_NE(file, nullptr);
    AUSND_File_SetStartOffset(file, 3000);
    AUSND_File_SetEndOffset(file, 3999);
    AUSND_File_Seek(file, 0, 0);
    EXPECT_EQ(AUSND_File_Tell(file), 0);
    EXPECT_EQ(ReadBytes(file, 10), Slice(3000, 10));
    AUSND_File_Seek(file, 900, 0);
    // Reading past the end offset returns the bytes up to it only.
    EXPECT_EQ(ReadBytes(file, 500), Slice(3900, 100));
    EXPECT_TRUE(ReadBytes(file, 10).empty());
    // From the end counts from the end offset.
    AUSND_File_Seek(file, -4, 2);
    EXPECT_EQ(AUSND_File_Tell(file), 996);
    EXPECT_EQ(ReadBytes(file, 4), Slice(3996, 4));
    AUSND_File_Close(file);
}

TEST_P(AulosFile, SwappedItemsComeBackReversed)
{
    AUSND_FILE* file = OpenKind(GetParam() | AUSND_FILE_SWAP);
    ASSERT_NE(file, nullptr);
    uint8_t words[4];
    ASSERT_EQ(AUSND_File_Read(words, 2, 2, file), 4);
    EXPECT_EQ(words[0], m_data[1]);
    EXPECT_EQ(words[1], m_data[0]);
    EXPECT_EQ(words[2], m_data[3]);
    uint8_t dword[4];
    ASSERT_EQ(AUSND_File_Read(dword, 4, 1, file), 4);
    EXPECT_EQ(dword[0], m_data[7]);
    EXPECT_EQ(dword[3], m_data[4]);
    EXPECT_EQ(AUSND_File_GetChar(file), m_data[8]);
    AUSND_File_Close(file);
}

TEST_F(AulosFile, SeeksInsideTheBufferedBlockLeaveTheDiskAlone)
{
    AUSND_FILE* file = OpenKind(AUSND_FILE_BUFFERED);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(ReadBytes(file, 100), Slice(0, 100));
    const auto disk = std::ftell(file->disk);
    AUSND_File_Seek(file, 1500, 0);
    EXPECT_EQ(ReadBytes(file, 40), Slice(1500, 40));
    AUSND_File_Seek(file, 20, 0);
    EXPECT_EQ(ReadBytes(file, 40), Slice(20, 40));
    EXPECT_EQ(std::ftell(file->disk), disk);
    // Outside the block the disk file moves, backward as well as forward.
    AUSND_File_Seek(file, 5000, 0);
    EXPECT_EQ(ReadBytes(file, 10), Slice(5000, 10));
    AUSND_File_Seek(file, 2047, 0);
    EXPECT_EQ(ReadBytes(file, 2), Slice(2047, 2));
    AUSND_File_Close(file);
}

INSTANTIATE_TEST_SUITE_P(Kinds, AulosFile,
                         ::testing::Values(AUSND_FILE_DISK, AUSND_FILE_MEMORY, AUSND_FILE_BUFFERED));

TEST(AulosFileOpen, RefusesWhatCannotBeOpened)
{
    EXPECT_EQ(AUSND_File_Open(nullptr, AUSND_FILE_BUFFERED, 0), nullptr);
    EXPECT_EQ(AUSND_File_Open("/nonexistent/aulos/file", AUSND_FILE_BUFFERED, 0), nullptr);
    EXPECT_EQ(AUSND_File_Open("/nonexistent/aulos/file", AUSND_FILE_DISK, 0), nullptr);
    const char image[4] = {1, 2, 3, 4};
    EXPECT_EQ(AUSND_File_Open(image, AUSND_FILE_MEMORY, 0), nullptr);
    EXPECT_EQ(AUSND_File_Open("anything", AUSND_FILE_USER, 0), nullptr); // no callbacks installed
    EXPECT_EQ(AUSND_File_Read(nullptr, 1, 1, nullptr), -1);
    EXPECT_EQ(AUSND_File_Seek(nullptr, 0, 0), -1);
    EXPECT_EQ(AUSND_File_Tell(nullptr), 0);
    AUSND_File_Close(nullptr);
}

TEST(AulosFileOpen, ShortBufferedReadFailsAndFlagsTheFile)
{
    const std::string path = WriteTemp("aulos_file_short.bin", Pattern(3000));
    AUSND_FILE* file = AUSND_File_Open(path.c_str(), AUSND_FILE_BUFFERED, 0);
    ASSERT_NE(file, nullptr);
    // The file claims more than the disk holds, as when it shrinks under the
    // reader: the block at its end comes back short.
    file->length = 5000;
    AUSND_File_Seek(file, 2950, 0);
    uint8_t buffer[100];
    EXPECT_EQ(AUSND_File_Read(buffer, 1, 100, file), -1);
    EXPECT_EQ(file->error, 1);
    EXPECT_EQ(AUSND_File_Read(buffer, 1, 50, file), 50); // the position stayed
    EXPECT_EQ(file->error, 0);
    AUSND_File_Close(file);
}

namespace
{
struct UserFiles
{
    std::vector<uint8_t> data = Pattern(5000);
    size_t position = 0;
    int opens = 0;
    int closes = 0;
};

UserFiles* g_pUserFiles = nullptr;

void* UserOpen(const char* name)
{
    if (std::strcmp(name, "user:sound") != 0)
        return nullptr;
    ++g_pUserFiles->opens;
    g_pUserFiles->position = 0;
    return g_pUserFiles;
}

void UserClose(void* handle)
{
    ++static_cast<UserFiles*>(handle)->closes;
}

int UserRead(void* buffer, int size, void* handle)
{
    UserFiles* u = static_cast<UserFiles*>(handle);
    const size_t n = std::min(static_cast<size_t>(size), u->data.size() - u->position);
    std::memcpy(buffer, u->data.data() + u->position, n);
    u->position += n;
    return static_cast<int>(n);
}

int UserSeek(void* handle, int pos, signed char origin)
{
    UserFiles* u = static_cast<UserFiles*>(handle);
    const long base = origin == 0 ? 0 : (origin == 1 ? static_cast<long>(u->position) : static_cast<long>(u->data.size()));
    u->position = static_cast<size_t>(base + pos);
    return 0;
}

int UserTell(void* handle)
{
    return static_cast<int>(static_cast<UserFiles*>(handle)->position);
}
} // namespace

TEST(AulosFileCallbacks, AllFiveAreNeededAndThenServeTheFile)
{
    UserFiles files;
    g_pUserFiles = &files;
    AUSND_File_SetCallbacks(UserOpen, UserClose, UserRead, UserSeek, nullptr);
    EXPECT_FALSE(AUSND_File_UsingFileCallbacks());
    EXPECT_EQ(AUSND_File_Open("user:sound", AUSND_FILE_USER, 0), nullptr);

    AUSND_File_SetCallbacks(UserOpen, UserClose, UserRead, UserSeek, UserTell);
    ASSERT_TRUE(AUSND_File_UsingFileCallbacks());
    EXPECT_EQ(AUSND_File_Open("user:other", AUSND_FILE_USER, 0), nullptr);
    AUSND_FILE* file = AUSND_File_Open("user:sound", AUSND_FILE_USER, 0);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->length, 5000);
    AUSND_File_Seek(file, 4000, 0);
    uint8_t buffer[10];
    ASSERT_EQ(AUSND_File_Read(buffer, 1, 10, file), 10);
    EXPECT_EQ(0, std::memcmp(buffer, files.data.data() + 4000, 10));
    EXPECT_EQ(AUSND_File_Tell(file), 4010);
    AUSND_File_Close(file);
    EXPECT_EQ(files.closes, 1);
    AUSND_File_SetCallbacks(nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_FALSE(AUSND_File_UsingFileCallbacks());
    g_pUserFiles = nullptr;
}

TEST(AulosFileThreaded, NonBlockingRequestsRunInOrderOnTheWorker)
{
    ASSERT_TRUE(AUSND_SetOutput(AUSND_OUTPUT_NOSOUND)); // an output on which threads may run
    const std::vector<uint8_t> data = Pattern(10000);
    const std::string path = WriteTemp("aulos_file_worker.bin", data);
    AUSND_FILE* file = AUSND_File_Open(path.c_str(), AUSND_FILE_BUFFERED, 0);
    ASSERT_NE(file, nullptr);
    AUSND_File_SetBlocking(file, false);
    ASSERT_EQ(file->blocking, 0);
    std::vector<uint8_t> first(3000);
    std::vector<uint8_t> second(500);
    EXPECT_EQ(AUSND_File_Read(first.data(), 1, 3000, file), 3000);
    EXPECT_EQ(AUSND_File_Seek(file, 200, 0), 200);
    EXPECT_EQ(AUSND_File_Read(second.data(), 1, 500, file), 500);
    EXPECT_EQ(AUSND_File_Tell(file), 700);
    AUSND_File_WaitForQueueToDrain(file);
    EXPECT_EQ(file->pending.load(), 0);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), data.begin()));
    EXPECT_TRUE(std::equal(second.begin(), second.end(), data.begin() + 200));
    AUSND_File_SetBlocking(file, true);
    AUSND_File_Close(file);
    AUSND_File_ShutDown();
}

namespace
{
struct OpenProbe
{
    std::mutex lock;
    std::condition_variable done;
    bool opened = false;
    AUSND_THREADID thread = 0;
};

void ProbeOpen(AUSND_ASYNCITEM* item)
{
    OpenProbe* probe = static_cast<OpenProbe*>(item->target);
    std::lock_guard<std::mutex> hold(probe->lock);
    probe->thread = AUSND_Thread_GetCurrentID();
    probe->opened = true;
    probe->done.notify_all();
}
} // namespace

TEST(AulosFileThreaded, NonBlockingOpenCompletesOnTheOpenThread)
{
    ASSERT_TRUE(AUSND_SetOutput(AUSND_OUTPUT_NOSOUND));
    ASSERT_TRUE(AUSND_Init(44100, 4, 0));
    OpenProbe probe;
    AUSND_ASYNCITEM item{nullptr, nullptr, &probe, 0, ProbeOpen};
    ASSERT_TRUE(AUSND_Async_Add(&item));
    {
        std::unique_lock<std::mutex> hold(probe.lock);
        probe.done.wait(hold, [&probe] { return probe.opened; });
    }
    EXPECT_NE(probe.thread, AUSND_Thread_GetCurrentID());
    EXPECT_EQ(item.next, nullptr); // taken off the list
    AUSND_Close();
}

TEST(AulosFileOpen, NonRealTimeOutputOpensAtOnce)
{
    ASSERT_TRUE(AUSND_SetOutput(AUSND_OUTPUT_CAPTURE));
    ASSERT_TRUE(AUSND_Init(44100, 4, 0));
    OpenProbe probe;
    AUSND_ASYNCITEM item{nullptr, nullptr, &probe, 0, ProbeOpen};
    ASSERT_TRUE(AUSND_Async_Add(&item));
    EXPECT_TRUE(probe.opened);
    EXPECT_EQ(probe.thread, AUSND_Thread_GetCurrentID());
    AUSND_Close();
}
