// Internet streams against a loopback HTTP/ICY server run by the test: MP3
// radio with ICY metadata, redirects up to the cap, and refused, stalled and
// unusable servers. Also the parsers of URLs, status lines, header fields
// and metadata blocks.
#include "aulos/ausnd_device.h"
#include "aulos/ausnd_stream.h"
#include "aulos/format_mpeg.h"
#include "aulos/net_stream.h"
#include "tests/aulos/AulosTestSupport.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vorbis/vorbisfile.h>

namespace
{
// Serves one scripted answer per path; "/stall" accepts and stays silent;
// "/gate..." answers and then sends only what the test feeds it.
class LoopbackServer
{
public:
    LoopbackServer()
    {
        m_iListen = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(m_iListen, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
        socklen_t length = sizeof(addr);
        getsockname(m_iListen, reinterpret_cast<sockaddr*>(&addr), &length);
        m_iPort = ntohs(addr.sin_port);
        listen(m_iListen, 16);
        m_thread = std::thread([this] { Run(); });
    }
    ~LoopbackServer()
    {
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_bStop = true;
        }
        m_fed.notify_all();
        shutdown(m_iListen, SHUT_RDWR);
        close(m_iListen);
        m_thread.join();
        for (int fd : m_stalled)
            close(fd);
    }
    void Answer(const std::string& path, const std::string& response)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_answers[path] = response;
    }
    std::string Url(const std::string& path) const
    {
        return "http://127.0.0.1:" + std::to_string(m_iPort) + path;
    }
    // Bytes for the gated connection; `last` closes it once they are sent.
    void Feed(const std::string& bytes, bool last = false)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_feed += bytes;
        m_bFeedEnds = last;
        m_fed.notify_all();
    }
    std::string LastRequest()
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_sLastRequest;
    }

private:
    void Run()
    {
        while (!m_bStop)
        {
            const int fd = accept(m_iListen, nullptr, nullptr);
            if (fd < 0)
                return;
            std::string request;
            char c;
            while (request.find("\r\n\r\n") == std::string::npos && read(fd, &c, 1) == 1)
                request += c;
            const size_t start = request.find(' ') + 1;
            const std::string path = request.substr(start, request.find(' ', start) - start);
            std::string answer;
            {
                std::lock_guard<std::mutex> guard(m_lock);
                m_sLastRequest = request;
                answer = m_answers[path];
            }
            if (path == "/stall")
            {
                m_stalled.push_back(fd);
                continue;
            }
            // "/keep..." answers and then leaves the connection open.
            const bool keep = path.compare(0, 5, "/keep") == 0;
            for (size_t sent = 0; sent < answer.size();)
            {
                const ssize_t n = send(fd, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
                if (n <= 0)
                    break;
                sent += static_cast<size_t>(n);
            }
            if (path.compare(0, 5, "/gate") == 0)
                Gate(fd);
            else if (keep)
                m_stalled.push_back(fd);
            else
                close(fd);
        }
    }

    void Gate(int fd)
    {
        for (;;)
        {
            std::string bytes;
            bool last = false;
            {
                std::unique_lock<std::mutex> hold(m_lock);
                m_fed.wait(hold, [this] { return m_bStop || !m_feed.empty() || m_bFeedEnds; });
                if (m_bStop)
                    break;
                bytes.swap(m_feed);
                last = m_bFeedEnds;
            }
            for (size_t sent = 0; sent < bytes.size();)
            {
                const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
                if (n <= 0)
                    break;
                sent += static_cast<size_t>(n);
            }
            if (last)
                break;
        }
        close(fd);
    }

    int m_iListen = -1;
    int m_iPort = 0;
    std::atomic<bool> m_bStop{false};
    std::thread m_thread;
    std::mutex m_lock;
    std::map<std::string, std::string> m_answers;
    std::condition_variable m_fed;
    std::string m_feed;
    bool m_bFeedEnds = false;
    std::string m_sLastRequest;
    std::vector<int> m_stalled;
};

std::vector<uint8_t> MakeMp3()
{
    std::vector<uint8_t> raw;
    for (int i = 0; i < 44100 * 2; ++i)
        for (int c = 0; c < 2; ++c)
        {
            const int v = static_cast<int>(10000.0 * std::sin(i * 0.05 * (c + 1)));
            raw.push_back(static_cast<uint8_t>(v & 0xFF));
            raw.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
        }
    const std::string in = ::testing::TempDir() + "aulos_net_in_" + std::to_string(getpid()) + ".raw";
    const std::string out = ::testing::TempDir() + "aulos_net_" + std::to_string(getpid()) + ".mp3";
    {
        std::ofstream f(in, std::ios::binary);
        f.write(reinterpret_cast<const char*>(raw.data()), static_cast<std::streamsize>(raw.size()));
    }
    const std::string command = "lame --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -b 128 " + in +
                                " " + out + " >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0);
    std::ifstream f(out, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// The file's audio as the file reader decodes it.
std::vector<int16_t> DecodeFile(const std::vector<uint8_t>& data)
{
    AUSND_FILE* file = AUSND_File_Open(reinterpret_cast<const char*>(data.data()), AUSND_FILE_MEMORY,
                                       static_cast<int>(data.size()));
    uint32_t mode = AUSND_MPEGACCURATE;
    int rate = 0;
    uint32_t length = 0;
    uint32_t pcm = 0;
    AUSND_MPEG* mp = nullptr;
    int block = 0;
    uint32_t offset = 0;
    uint32_t ms = 0;
    AUSND_MPEGOFFSETS table{nullptr, 0, 0};
    std::vector<int16_t> out;
    if (AUSND_Mpeg_Open(file, &mode, &rate, &length, &pcm, &mp, &block, &offset, &ms, &table, nullptr, nullptr))
    {
        for (int k = 0; k < table.count; ++k)
        {
            int16_t frame[2304];
            uint32_t bytes = 0;
            const uint32_t at = offset + table.offsets[k];
            AUSND_Mpeg_DecodeFrame(mp, data.data() + at, static_cast<uint32_t>(data.size() - at), frame, &bytes);
            out.insert(out.end(), frame, frame + bytes / 2);
        }
    }
    AUSND_Mpeg_Close(mp);
    AUSND_Mpeg_FreeOffsets(&table);
    AUSND_File_Close(file);
    return out;
}

// What a stream without a content length plays: its first three frames silent
// (a station joined mid-stream has no reservoir for them).
std::vector<int16_t> Muted(std::vector<int16_t> pcm, size_t frameValues = 1152 * 2)
{
    std::fill(pcm.begin(), pcm.begin() + static_cast<std::ptrdiff_t>(std::min(pcm.size(), 3 * frameValues)), 0);
    return pcm;
}

// The audio with a metadata block after every `interval` bytes.
std::string WithMetadata(const std::vector<uint8_t>& audio, size_t interval, const std::string& text)
{
    std::string block = text;
    block.resize((text.size() + 15) / 16 * 16, '\0');
    std::string out;
    for (size_t at = 0; at < audio.size(); at += interval)
    {
        const size_t n = std::min(interval, audio.size() - at);
        out.append(reinterpret_cast<const char*>(audio.data() + at), n);
        if (n == interval)
        {
            out += static_cast<char>(block.size() / 16);
            out += block;
        }
    }
    return out;
}

struct Metadata
{
    std::map<std::string, std::string> values;
    int calls = 0;
};

void OnMetadata(const char* name, const char* value, void* userdata)
{
    Metadata* m = static_cast<Metadata*>(userdata);
    m->values[name] = value;
    ++m->calls;
}

// Reads frames until the stream ends.
std::vector<int16_t> ReadAllFrames(AUSND_NETSTREAM* net)
{
    std::vector<int16_t> pcm;
    for (;;)
    {
        int16_t frame[2304];
        uint32_t bytes = 0;
        bool ended = false;
        if (AUSND_Mpeg_Net_ReadFrame(net, frame, &bytes, &ended))
            pcm.insert(pcm.end(), frame, frame + bytes / 2);
        if (ended)
            return pcm;
        if (bytes == 0 && !ended && (net->socket->flags & AUSND_SOCKBUF_BUFFERING))
            AUSND_Sockbuf_Prebuffer(net->socket, true, 1000);
    }
}

std::vector<uint8_t> MakeOgg()
{
    const std::string out = ::testing::TempDir() + "aulos_net_" + std::to_string(getpid()) + ".ogg";
    const std::string command = "sox -q -n -r 44100 -c 2 --comment 'TITLE=Sherd Blues' --add-comment 'ARTIST=Potters' " +
                                out + " synth 2 sine 440 sine 660 2>/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0);
    std::ifstream f(out, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

struct MemoryReader
{
    const std::vector<uint8_t>* data;
    size_t at;
};

size_t ReadMemory(void* out, size_t size, size_t count, void* source)
{
    MemoryReader* r = static_cast<MemoryReader*>(source);
    const size_t bytes = std::min(size * count, r->data->size() - r->at);
    std::memcpy(out, r->data->data() + r->at, bytes);
    r->at += bytes;
    return bytes / size;
}

// vorbisfile's own decoding of the whole file.
std::vector<int16_t> DecodeOgg(const std::vector<uint8_t>& data)
{
    MemoryReader reader{&data, 0};
    OggVorbis_File vf;
    std::vector<int16_t> pcm;
    if (ov_open_callbacks(&reader, &vf, nullptr, 0, ov_callbacks{ReadMemory, nullptr, nullptr, nullptr}) != 0)
        return pcm;
    char buffer[4096];
    int section = 0;
    long got;
    while ((got = ov_read(&vf, buffer, sizeof(buffer), 0, 2, 1, &section)) != 0)
    {
        if (got < 0)
            continue;
        const int16_t* values = reinterpret_cast<const int16_t*>(buffer);
        pcm.insert(pcm.end(), values, values + got / 2);
    }
    ov_clear(&vf);
    return pcm;
}

class NetThreaded : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { AUSND_Mpeg_Init(); }
    static void TearDownTestSuite() { AUSND_Sockbuf_Shutdown(); }
};
} // namespace

TEST(NetParsing, UrlsStatusLinesHeadersAndMetadata)
{
    char host[64];
    char path[64];
    int port = 0;
    ASSERT_TRUE(AUSND_Net_ParseUrl("http://radio.example", host, sizeof(host), &port, path, sizeof(path)));
    EXPECT_STREQ(host, "radio.example");
    EXPECT_EQ(port, 80);
    EXPECT_STREQ(path, "/");
    ASSERT_TRUE(AUSND_Net_ParseUrl("HTTP://h:8000/live.mp3  ", host, sizeof(host), &port, path, sizeof(path)));
    EXPECT_EQ(port, 8000);
    EXPECT_STREQ(path, "/live.mp3");
    const std::string longPort = "http://h:" + std::string(256, '9') + "/";
    EXPECT_FALSE(AUSND_Net_ParseUrl(longPort.c_str(), host, sizeof(host), &port, path, sizeof(path)));
    EXPECT_FALSE(AUSND_Net_ParseUrl("ftp://h/", host, sizeof(host), &port, path, sizeof(path)));
    EXPECT_FALSE(AUSND_Net_ParseUrl("http://h:0/", host, sizeof(host), &port, path, sizeof(path)));
    const std::string longHost = "http://" + std::string(100, 'a');
    EXPECT_FALSE(AUSND_Net_ParseUrl(longHost.c_str(), host, sizeof(host), &port, path, sizeof(path)));

    char* encoded = AUSND_Net_EncodeBase64("user:pass");
    EXPECT_STREQ(encoded, "dXNlcjpwYXNz");
    AUSND_Memory_Free(encoded);
    encoded = AUSND_Net_EncodeBase64("ab");
    EXPECT_STREQ(encoded, "YWI=");
    AUSND_Memory_Free(encoded);

    int protocol = -1;
    int code = 0;
    EXPECT_TRUE(AUSND_Stream_Net_ParseStatusLine("ICY 200 OK", &protocol, &code));
    EXPECT_EQ(protocol, 2);
    EXPECT_EQ(code, 200);
    EXPECT_TRUE(AUSND_Stream_Net_ParseStatusLine("HTTP/1.0 302 Found", &protocol, &code));
    EXPECT_EQ(code, 302);
    EXPECT_FALSE(AUSND_Stream_Net_ParseStatusLine("SPDY/3 200 OK", &protocol, &code));

    AUSND_NETHEADERS headers{};
    AUSND_Stream_Net_HeaderLine(&headers, "icy-metaint: 16000");
    AUSND_Stream_Net_HeaderLine(&headers, "icy-name: Dig Radio");
    AUSND_Stream_Net_HeaderLine(&headers, "Content-Length: 99999999999999999999");
    EXPECT_EQ(headers.metaInterval, 16000u);
    EXPECT_EQ(headers.flags & 0xFFFF, static_cast<uint32_t>(AUSND_NET_SERVER_ICY));
    EXPECT_EQ(headers.contentLength, 0xFFFFFFFFu);
    void* value = nullptr;
    int length = 0;
    EXPECT_TRUE(AUSND_Tag_Find(headers.tags.first, "icy-name", -1, &value, &length));
    EXPECT_STREQ(static_cast<const char*>(value), "Dig Radio");
    AUSND_Tag_FreeList(&headers.tags);

    Metadata m;
    const char block[] = "StreamTitle='Only A Title';StreamUrl='http://x/';";
    AUSND_Stream_Net_DispatchMetadata(block, sizeof(block), OnMetadata, &m);
    EXPECT_EQ(m.values["ARTIST"], "Only A Title");
    EXPECT_EQ(m.values.count("TITLE"), 0u);
    EXPECT_EQ(m.values["StreamUrl"], "http://x/");
}

TEST_F(NetThreaded, IcyRadioDecodesLikeTheFileAndReportsItsTitles)
{
    LoopbackServer server;
    const std::vector<uint8_t> mp3 = MakeMp3();
    const std::string icy = "ICY 200 OK\r\nicy-name: Test FM\r\nicy-metaint: 8192\r\n\r\n" +
                            WithMetadata(mp3, 8192, "StreamTitle='The Diggers - Trowel Song';");
    server.Answer("/radio", icy);
    Metadata m;
    AUSND_NETSTREAM* net = AUSND_Stream_Net_OpenUrl(server.Url("/radio").c_str(), OnMetadata, &m, 5000);
    ASSERT_NE(net, nullptr) << AUSND_ErrorNo;
    EXPECT_NE(server.LastRequest().find("GET /radio HTTP/1.1\r\n"), std::string::npos);
    EXPECT_NE(server.LastRequest().find("Icy-MetaData:1\r\n"), std::string::npos);
    const std::vector<int16_t> pcm = ReadAllFrames(net);
    const std::vector<int16_t> expected = Muted(DecodeFile(mp3));
    ASSERT_EQ(pcm.size(), expected.size());
    const auto diff = std::mismatch(pcm.begin(), pcm.end(), expected.begin());
    EXPECT_EQ(diff.first, pcm.end()) << "differs at " << (diff.first - pcm.begin());
    EXPECT_EQ(m.values["ARTIST"], "The Diggers");
    EXPECT_EQ(m.values["TITLE"], "Trowel Song");
    EXPECT_GT(m.calls, 2);
    EXPECT_EQ(net->headers.flags & AUSND_NET_CONTENT_MPEG, static_cast<uint32_t>(AUSND_NET_CONTENT_MPEG));
    AUSND_Stream_Net_Close(net);
}

TEST_F(NetThreaded, OggRadioDecodesAndReportsItsComments)
{
    LoopbackServer server;
    const std::vector<uint8_t> ogg = MakeOgg();
    server.Answer("/stream", "HTTP/1.0 200 OK\r\nContent-Type: application/ogg\r\n\r\n" +
                                 std::string(ogg.begin(), ogg.end()));
    Metadata m;
    AUSND_NETSTREAM* net = AUSND_Stream_Net_OpenUrl(server.Url("/stream").c_str(), OnMetadata, &m, 5000);
    ASSERT_NE(net, nullptr) << AUSND_ErrorNo;
    EXPECT_EQ(net->channels, 2);
    EXPECT_EQ(net->rate, 44100);
    std::vector<int16_t> pcm;
    for (;;)
    {
        int16_t block[2048];
        uint32_t bytes = 0;
        bool ended = false;
        AUSND_OggVorbis_Net_Read(net, block, sizeof(block), &bytes, &ended);
        pcm.insert(pcm.end(), block, block + bytes / 2);
        if (ended)
            break;
    }
    EXPECT_EQ(pcm, DecodeOgg(ogg));
    EXPECT_EQ(m.values["TITLE"], "Sherd Blues");
    EXPECT_EQ(m.values["ARTIST"], "Potters");
    AUSND_Stream_Net_Close(net);
}

TEST_F(NetThreaded, RedirectsAreFollowedUpToTheCap)
{
    LoopbackServer server;
    const std::vector<uint8_t> mp3 = MakeMp3();
    server.Answer("/end", "HTTP/1.0 200 OK\r\n\r\n" + std::string(mp3.begin(), mp3.end()));
    // /hop0 -> /hop1 -> ... -> /hop16 -> /end: 17 redirects from /hop0, 16 from /hop1.
    for (int i = 0; i <= 16; ++i)
    {
        const std::string next = i == 16 ? "/end" : "/hop" + std::to_string(i + 1);
        server.Answer("/hop" + std::to_string(i), "HTTP/1.1 302 Found\r\nServer: x\r\nLocation: " + server.Url(next) +
                                                      "\r\n\r\n");
    }
    AUSND_NETSTREAM* net = AUSND_Stream_Net_OpenUrl(server.Url("/hop1").c_str(), nullptr, nullptr, 5000);
    ASSERT_NE(net, nullptr);
    EXPECT_EQ(net->redirects, 16);
    EXPECT_EQ(ReadAllFrames(net), Muted(DecodeFile(mp3)));
    AUSND_Stream_Net_Close(net);
    EXPECT_EQ(AUSND_Stream_Net_OpenUrl(server.Url("/hop0").c_str(), nullptr, nullptr, 5000), nullptr);
}

TEST_F(NetThreaded, UnusableServersFail)
{
    LoopbackServer server;
    server.Answer("/noloc", "HTTP/1.1 302 Found\r\n\r\n");
    server.Answer("/missing", "HTTP/1.1 404 Not Found\r\n\r\n");
    server.Answer("/junk", "SSH-2.0-OpenSSH\r\n\r\n");
    std::string endless = "ICY 200 OK\r\n";
    for (int i = 0; i < 300; ++i)
        endless += "icy-notice1: " + std::string(9000, 'x') + "\r\n";
    server.Answer("/endless", endless);
    for (const char* path : {"/noloc", "/missing", "/junk", "/stall", "/endless"})
    {
        EXPECT_EQ(AUSND_Stream_Net_OpenUrl(server.Url(path).c_str(), nullptr, nullptr, 300), nullptr) << path;
    }
    // A port nobody listens on refuses at once.
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
    socklen_t length = sizeof(addr);
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length);
    const std::string refused = "http://127.0.0.1:" + std::to_string(ntohs(addr.sin_port)) + "/";
    close(fd);
    EXPECT_EQ(AUSND_Stream_Net_OpenUrl(refused.c_str(), nullptr, nullptr, 300), nullptr);
    EXPECT_EQ(AUSND_Stream_Net_OpenUrl("http://127.0.0.1:99999/", nullptr, nullptr, 300), nullptr);
    EXPECT_EQ(AUSND_ErrorNo, AUSND_ERR_INVALID_PARAM);
}

namespace
{
struct StreamEnd
{
    std::atomic<int> calls{0};
};

bool OnStreamEnd(AUSND_STREAM*, void*, int, void* user)
{
    ++static_cast<StreamEnd*>(user)->calls;
    return true;
}

struct NetData
{
    std::mutex lock;
    size_t bytes = 0;
    int calls = 0;
    bool framesStartWithSync = true;
};

void OnNetData(const void* data, unsigned int bytes, void* user)
{
    NetData* d = static_cast<NetData*>(user);
    std::lock_guard<std::mutex> guard(d->lock);
    d->bytes += bytes;
    ++d->calls;
    const uint8_t* b = static_cast<const uint8_t*>(data);
    if (bytes < 2 || b[0] != 0xFF || (b[1] & 0xE0) != 0xE0)
        d->framesStartWithSync = false;
}

// Network streams opened by name through the stream opener, played through the capture output.
class NetStreamThreaded : public CaptureDevice
{
protected:
    static void SetUpTestSuite() { AUSND_Mpeg_Init(); }
    static void TearDownTestSuite() { AUSND_Sockbuf_Shutdown(); }

    static std::vector<int16_t> PlayToEnd(AUSND_STREAM* s)
    {
        StreamEnd ends;
        AUSND_Stream_SetEndCallback(s, OnStreamEnd, &ends);
        AUSND_Capture_Clear();
        EXPECT_GE(AUSND_Stream_Play(AUSND_CHANNEL_FREE, s), 0);
        for (int i = 0; i < 2000 && ends.calls == 0; ++i)
            AUSND_Update();
        EXPECT_EQ(ends.calls, 1);
        return Captured();
    }

    static void ExpectPlayed(const std::vector<int16_t>& captured, const std::vector<int16_t>& pcm)
    {
        ASSERT_GT(captured.size(), pcm.size());
        for (size_t i = 0; i < pcm.size(); ++i)
            ASSERT_EQ(captured[i], FullGain(pcm[i])) << "value " << i;
    }
};
} // namespace

TEST_F(NetStreamThreaded, IcyMp3RadioPlaysThroughTheStreamOpener)
{
    LoopbackServer server;
    const std::vector<uint8_t> mp3 = MakeMp3();
    server.Answer("/radio", "ICY 200 OK\r\nicy-name: Test FM\r\nicy-metaint: 8192\r\n\r\n" +
                                WithMetadata(mp3, 8192, "StreamTitle='The Diggers - Trowel Song';"));
    NetData data;
    ASSERT_TRUE(AUSND_Stream_Net_SetNetDataCallback(OnNetData, &data));
    AUSND_STREAM* s = AUSND_Stream_Open(server.Url("/radio").c_str(), AUSND_2D, 0, 0);
    ASSERT_TRUE(AUSND_Stream_Net_SetNetDataCallback(nullptr, nullptr));
    ASSERT_NE(s, nullptr) << AUSND_GetError();
    EXPECT_STREQ(AUSND_Stream_Net_GetLastServerStatus(), "ICY 200 OK");
    Metadata m;
    ASSERT_TRUE(AUSND_Stream_Net_SetMetadataCallback(s, OnMetadata, &m));
    int status = 0;
    unsigned int flags = 0;
    ASSERT_TRUE(AUSND_Stream_Net_GetStatus(s, &status, nullptr, nullptr, &flags));
    EXPECT_EQ(status, AUSND_NET_STATUS_STREAMING);
    EXPECT_EQ(flags, static_cast<uint32_t>(AUSND_NET_SERVER_ICY | AUSND_NET_CONTENT_MPEG));
    EXPECT_EQ(AUSND_Stream_GetMode(s) & (AUSND_STEREO | AUSND_16BITS), static_cast<unsigned>(AUSND_STEREO | AUSND_16BITS));

    // Without a content length the first three frames play silent.
    ExpectPlayed(PlayToEnd(s), Muted(DecodeFile(mp3)));
    EXPECT_EQ(m.values["ARTIST"], "The Diggers");
    EXPECT_EQ(m.values["TITLE"], "Trowel Song");
    int bitrate = 0;
    ASSERT_TRUE(AUSND_Stream_Net_GetStatus(s, nullptr, nullptr, &bitrate, nullptr));
    EXPECT_EQ(bitrate, 128);
    {
        std::lock_guard<std::mutex> guard(data.lock);
        EXPECT_TRUE(data.framesStartWithSync);
        EXPECT_GT(data.calls, 70); // one call per frame, about 77 frames
        EXPECT_LE(data.bytes, mp3.size());
    }
    EXPECT_TRUE(AUSND_Stream_Close(s));

    // A file stream is no network stream.
    EXPECT_FALSE(AUSND_Stream_Net_GetStatus(nullptr, &status, nullptr, nullptr, nullptr));
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_INVALID_PARAM);
}

TEST_F(NetStreamThreaded, OggRadioPlaysThroughTheStreamOpener)
{
    LoopbackServer server;
    const std::vector<uint8_t> ogg = MakeOgg();
    server.Answer("/stream", "HTTP/1.0 200 OK\r\nContent-Type: application/ogg\r\n\r\n" +
                                 std::string(ogg.begin(), ogg.end()));
    AUSND_STREAM* s = AUSND_Stream_Open(server.Url("/stream").c_str(), AUSND_2D, 0, 0);
    ASSERT_NE(s, nullptr) << AUSND_GetError();
    unsigned int flags = 0;
    ASSERT_TRUE(AUSND_Stream_Net_GetStatus(s, nullptr, nullptr, nullptr, &flags));
    EXPECT_TRUE(flags & AUSND_NET_CONTENT_OGG);
    const std::vector<int16_t> pcm = DecodeOgg(ogg);
    ExpectPlayed(PlayToEnd(s), pcm);
    // Once ended, the live stream's length is where it stopped: all of its
    // two seconds, rounded up to the last block played.
    const int ms = AUSND_Stream_GetLengthMs(s);
    EXPECT_GE(ms, 2000);
    EXPECT_LT(ms, 2000 + AUSND_Stream_HalfBufferSize);
    EXPECT_EQ(static_cast<int64_t>(AUSND_Stream_GetLength(s)) / 4 * 1000 / 44100, ms) << "bytes and time agree";
    EXPECT_TRUE(AUSND_Stream_Close(s));
}

TEST_F(NetStreamThreaded, AProxyGetsTheWholeUrlAndAContentLengthEndsTheStream)
{
    LoopbackServer proxy;
    const std::vector<uint8_t> mp3 = MakeMp3();
    proxy.Answer("http://radio.example/live.mp3",
                 "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(mp3.size()) + "\r\n\r\n" +
                     std::string(mp3.begin(), mp3.end()));
    const std::string port = proxy.Url("").substr(std::string("http://127.0.0.1:").size());
    ASSERT_TRUE(AUSND_Stream_Net_SetProxy(("user:pass@127.0.0.1:" + port).c_str()));
    AUSND_STREAM* s = AUSND_Stream_Open("http://radio.example/live.mp3", AUSND_2D, 0, 0);
    ASSERT_TRUE(AUSND_Stream_Net_SetProxy(""));
    ASSERT_NE(s, nullptr) << AUSND_GetError();
    const std::string request = proxy.LastRequest();
    EXPECT_NE(request.find("GET http://radio.example/live.mp3 HTTP/1.1\r\n"), std::string::npos) << request;
    EXPECT_NE(request.find("Host: radio.example\r\n"), std::string::npos) << request;
    EXPECT_NE(request.find("Proxy-Authorization: Basic dXNlcjpwYXNz\r\n"), std::string::npos) << request;
    // With a content length nothing is muted.
    ExpectPlayed(PlayToEnd(s), DecodeFile(mp3));
    EXPECT_TRUE(AUSND_Stream_Close(s));


    // A server that keeps the connection open after the announced length: the stream still ends.
    proxy.Answer("/keep", "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(mp3.size()) + "\r\n\r\n" +
                              std::string(mp3.begin(), mp3.end()));
    s = AUSND_Stream_Open(proxy.Url("/keep").c_str(), AUSND_2D, 0, 0);
    ASSERT_NE(s, nullptr) << AUSND_GetError();
    ExpectPlayed(PlayToEnd(s), DecodeFile(mp3));
    EXPECT_TRUE(AUSND_Stream_Close(s));

    EXPECT_FALSE(AUSND_Stream_Net_SetProxy("host:0"));
    EXPECT_FALSE(AUSND_Stream_Net_SetProxy(("host:" + std::string(300, '9')).c_str()));
    EXPECT_FALSE(AUSND_Stream_Net_SetProxy("user@:80"));
    ASSERT_TRUE(AUSND_Stream_Net_SetProxy("127.0.0.1"));
    ASSERT_TRUE(AUSND_Stream_Net_SetProxy(nullptr));
}

namespace
{
// Waits (with a fail-safe bound) until the stream's open state leaves `state`.
int WaitWhileState(AUSND_STREAM* s, int state)
{
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    int now = AUSND_Stream_GetOpenState(s);
    while (now == state && std::chrono::steady_clock::now() < limit)
    {
        std::this_thread::yield();
        now = AUSND_Stream_GetOpenState(s);
    }
    return now;
}
} // namespace

TEST(NetOpenThreaded, AStalledOpenIsCalledOffByCancelOrClose)
{
    ASSERT_TRUE(AUSND_SetOutput(AUSND_OUTPUT_NOSOUND));
    ASSERT_TRUE(AUSND_Init(44100, 32, 0));
    LoopbackServer server;
    // The server takes the request and never answers: the open waits in its header phase.
    AUSND_STREAM* s = AUSND_Stream_Open(server.Url("/stall").c_str(), AUSND_NONBLOCKING, 0, 0);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(WaitWhileState(s, -2), -4) << "connecting";
    EXPECT_TRUE(AUSND_Stream_Net_CancelOpen(s));
    EXPECT_EQ(AUSND_Stream_GetOpenState(s), -3);
    EXPECT_FALSE(AUSND_Stream_Net_CancelOpen(s)) << "nothing left to call off";
    EXPECT_TRUE(AUSND_Stream_Close(s));

    s = AUSND_Stream_Open(server.Url("/stall").c_str(), AUSND_NONBLOCKING, 0, 0);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(WaitWhileState(s, -2), -4);
    EXPECT_TRUE(AUSND_Stream_Close(s)) << "closing calls the open off";

    // Closed before the open thread has even started it.
    s = AUSND_Stream_Open(server.Url("/stall").c_str(), AUSND_NONBLOCKING, 0, 0);
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(AUSND_Stream_Close(s));
    AUSND_Close();
    AUSND_SetOutput(AUSND_OUTPUT_CAPTURE);
    AUSND_Sockbuf_Shutdown();
}

namespace
{
// A stream of noise, dense enough that a small read ring holds under a second of it.
std::vector<uint8_t> MakeNoiseOgg()
{
    const std::string out = ::testing::TempDir() + "aulos_net_noise_" + std::to_string(getpid()) + ".ogg";
    const std::string command = "sox -q -n -r 44100 -c 2 " + out + " synth 3 pinknoise 2>/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0);
    std::ifstream f(out, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

std::string Slice(const std::vector<uint8_t>& data, size_t from, size_t to)
{
    return std::string(data.begin() + static_cast<std::ptrdiff_t>(from),
                       data.begin() + static_cast<std::ptrdiff_t>(std::min(to, data.size())));
}

// Waits (with a fail-safe bound) until `done` holds; false if it never did.
template <typename Condition>
bool WaitFor(Condition done)
{
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done())
    {
        if (std::chrono::steady_clock::now() > limit)
            return false;
        std::this_thread::yield();
    }
    return true;
}

struct NetStatus
{
    int status = 0;
    int percent = -1;
};

NetStatus StatusOf(AUSND_STREAM* s)
{
    NetStatus n;
    if (!AUSND_Stream_Net_GetStatus(s, &n.status, &n.percent, nullptr, nullptr))
        n.status = 0;
    return n;
}

size_t BytesSeen(NetData& d)
{
    std::lock_guard<std::mutex> guard(d.lock);
    return d.bytes;
}

// Streams with the stream thread and the network thread, through an output
// that plays in real time.
class NetBufferingThreaded : public ::testing::Test
{
protected:
    void SetUp() override
    {
        AUSND_Mpeg_Init();
        ASSERT_TRUE(AUSND_SetOutput(AUSND_OUTPUT_NOSOUND));
        ASSERT_TRUE(AUSND_Init(44100, 32, 0));
    }
    void TearDown() override
    {
        AUSND_Stream_Net_SetNetDataCallback(nullptr, nullptr);
        AUSND_Stream_Net_SetBufferProperties(64000, 95, 95);
        AUSND_Close();
        AUSND_SetOutput(AUSND_OUTPUT_CAPTURE);
    }
    static constexpr const char* kOggAnswer = "HTTP/1.0 200 OK\r\nContent-Type: application/ogg\r\n\r\n";
};
} // namespace

TEST_F(NetBufferingThreaded, PropertiesAreCheckedAndTheFirstBufferingWaitsForItsThreshold)
{
    struct Case
    {
        int bytes, prebuffer, rebuffer;
        bool ok;
    };
    for (const Case& c : {Case{0, 50, 50, false}, Case{-5, 50, 50, false}, Case{1000, 0, 50, false},
                          Case{1000, 100, 50, false}, Case{1000, 50, 0, false}, Case{1000, 50, 100, false},
                          Case{1000, 1, 99, true}, Case{10000, 50, 30, true}})
    {
        EXPECT_EQ(AUSND_Stream_Net_SetBufferProperties(c.bytes, c.prebuffer, c.rebuffer), c.ok) << c.bytes;
        EXPECT_EQ(AUSND_GetError(), c.ok ? AUSND_ERR_NONE : AUSND_ERR_INVALID_PARAM);
    }
    int bytes = 0;
    int prebuffer = 0;
    int rebuffer = 0;
    ASSERT_TRUE(AUSND_Stream_Net_GetBufferProperties(&bytes, &prebuffer, &rebuffer));
    EXPECT_EQ(bytes, 10000);
    EXPECT_EQ(prebuffer, 50);
    EXPECT_EQ(rebuffer, 30);

    LoopbackServer server;
    const std::vector<uint8_t> ogg = MakeNoiseOgg();
    ASSERT_GT(ogg.size(), 20000u);
    server.Answer("/gate.ogg", kOggAnswer);
    NetData data;
    ASSERT_TRUE(AUSND_Stream_Net_SetNetDataCallback(OnNetData, &data));
    server.Feed(Slice(ogg, 0, 4000));
    AUSND_STREAM* s = AUSND_Stream_Open(server.Url("/gate.ogg").c_str(), AUSND_NONBLOCKING, 0, 0);
    ASSERT_NE(s, nullptr);
    // 40 % of the ring is in and the server holds the rest: still buffering,
    // and the decoder has not been given a byte.
    ASSERT_TRUE(WaitFor([&] {
        const NetStatus n = StatusOf(s);
        return n.status == AUSND_NET_STATUS_BUFFERING && n.percent == 40;
    }));
    EXPECT_EQ(AUSND_Stream_GetOpenState(s), -5);
    EXPECT_EQ(BytesSeen(data), 0u);
    server.Feed(Slice(ogg, 4000, 5000));
    ASSERT_TRUE(WaitFor([&] { return BytesSeen(data) > 0; })) << "50 % ends the first buffering";
    server.Feed(Slice(ogg, 5000, ogg.size()), true);
    ASSERT_TRUE(WaitFor([&] { return !s->opening; }));
    EXPECT_EQ(AUSND_Stream_GetOpenState(s), 0);
    EXPECT_TRUE(AUSND_Stream_Close(s));
}

TEST_F(NetBufferingThreaded, AStalledServerNeitherBlocksTheMainThreadNorEndsTheStream)
{
    ASSERT_TRUE(AUSND_Stream_Net_SetBufferProperties(10000, 50, 30));
    LoopbackServer server;
    const std::vector<uint8_t> ogg = MakeNoiseOgg();
    ASSERT_GT(ogg.size(), 20000u);
    server.Answer("/gate.ogg", kOggAnswer);
    NetData data;
    ASSERT_TRUE(AUSND_Stream_Net_SetNetDataCallback(OnNetData, &data));
    server.Feed(Slice(ogg, 0, 8000));
    AUSND_STREAM* s = AUSND_Stream_Open(server.Url("/gate.ogg").c_str(), AUSND_2D, 0, 0);
    ASSERT_NE(s, nullptr) << AUSND_GetError();
    ASSERT_GE(AUSND_Stream_Play(AUSND_CHANNEL_FREE, s), 0);

    // The ring runs dry while the server holds its next bytes.
    ASSERT_TRUE(WaitFor([&] { return StatusOf(s).status == AUSND_NET_STATUS_BUFFERING; }));
    EXPECT_EQ(BytesSeen(data), 8000u);
    // A call that takes the update lock returns although the server is silent:
    // the stream thread does not wait for the network inside its pass.
    StreamEnd ends;
    ASSERT_TRUE(AUSND_Stream_SetEndCallback(s, OnStreamEnd, &ends));

    // Below the rebuffer threshold the reader gets nothing.
    server.Feed(Slice(ogg, 8000, 10000));
    ASSERT_TRUE(WaitFor([&] { return StatusOf(s).percent == 20; }));
    EXPECT_EQ(StatusOf(s).status, AUSND_NET_STATUS_BUFFERING);
    EXPECT_EQ(BytesSeen(data), 8000u);
    server.Feed(Slice(ogg, 10000, 11000));
    ASSERT_TRUE(WaitFor([&] { return BytesSeen(data) > 8000u; })) << "30 % ends the rebuffering";

    // The stream plays on to the end of what the server sends.
    server.Feed(Slice(ogg, 11000, ogg.size()), true);
    ASSERT_TRUE(WaitFor([&] { return ends.calls > 0; }));
    EXPECT_EQ(ends.calls, 1);
    EXPECT_EQ(BytesSeen(data), ogg.size());
    // An ended network stream knows its length: three seconds and the silence of the stall.
    EXPECT_GE(AUSND_Stream_GetLengthMs(s), 2900);
    EXPECT_GT(AUSND_Stream_GetLength(s), 0);
    EXPECT_TRUE(AUSND_Stream_Close(s));
}

TEST_F(NetBufferingThreaded, ClosingTheSoundSystemReleasesConnectionsAndEndsTheNetworkThread)
{
    ASSERT_TRUE(AUSND_Stream_Net_SetBufferProperties(10000, 50, 50));
    LoopbackServer server;
    const std::vector<uint8_t> ogg = MakeNoiseOgg();
    server.Answer("/gate.ogg", kOggAnswer);
    server.Feed(Slice(ogg, 0, ogg.size()));
    // An open stream whose server keeps the connection, and an open that stalls.
    AUSND_STREAM* open = AUSND_Stream_Open(server.Url("/gate.ogg").c_str(), AUSND_2D, 0, 0);
    ASSERT_NE(open, nullptr) << AUSND_GetError();
    ASSERT_GE(AUSND_Stream_Play(AUSND_CHANNEL_FREE, open), 0);
    AUSND_STREAM* stalled = AUSND_Stream_Open(server.Url("/stall").c_str(), AUSND_NONBLOCKING, 0, 0);
    ASSERT_NE(stalled, nullptr);
    EXPECT_EQ(WaitWhileState(stalled, -2), -4);
    EXPECT_TRUE(AUSND_Sockbuf_IsRunning());

    AUSND_Close();
    EXPECT_FALSE(AUSND_Sockbuf_IsRunning());
    // Streams closed after the sound system are harmless.
    EXPECT_EQ(AUSND_Stream_GetOpenState(stalled), -3);
    EXPECT_TRUE(AUSND_Stream_Close(stalled));
    EXPECT_TRUE(AUSND_Stream_Close(open));

    // The next start opens network streams again.
    server.Feed("", true);
    ASSERT_TRUE(AUSND_Init(44100, 32, 0));
    server.Answer("/again.ogg", kOggAnswer + std::string(ogg.begin(), ogg.end()));
    AUSND_STREAM* again = AUSND_Stream_Open(server.Url("/again.ogg").c_str(), AUSND_2D, 0, 0);
    ASSERT_NE(again, nullptr) << AUSND_GetError();
    EXPECT_TRUE(AUSND_Sockbuf_IsRunning());
    EXPECT_TRUE(AUSND_Stream_Close(again));
}
