#include "engine/io/URL.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <thread>

#include "engine/io/URLConnection.h"
#include "engine/io/iDataWriter.h"

using namespace ZQ2;

TEST(URL, SplitsAndComposesAddresses) {
    const struct {
        const char* text;
        const char* protocol;
        const char* host;
        const char* page;
        const char* composed;
    } cases[] = {
        {"http://example.org/scores/submit.php", "http://", "example.org", "scores/submit.php",
         "http://example.org/scores/submit.php"},
        {"https://example.org:8080/a/b?x=1", "https://", "example.org:8080", "a/b?x=1",
         "https://example.org:8080/a/b?x=1"},
        {"example.org", "", "example.org", "", "http://example.org/"},
        {"example.org/page", "", "example.org", "page", "http://example.org/page"},
        {"file:////host/x", "file:////", "host", "x", "file:////host/x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const URL url(c.text);
        EXPECT_EQ(URL::ExtractProtocol(c.text), c.protocol);
        EXPECT_EQ(url.GetHost(), c.host);
        EXPECT_EQ(url.GetPage(), c.page);
        EXPECT_EQ(url.ComposeURL(), c.composed);
    }
    EXPECT_EQ(URL::FindProtocolEnd("example.org"), -1);
    EXPECT_EQ(URL("example.org", "p", "", 8080).ComposeURL(), "http://example.org:8080/p");
}

TEST(URL, ParametersAreEncodedInOrderAndReplacedLast) {
    URL url("http://example.org/submit");
    url.SetParameter("name", std::string("Ann Lee"));
    url.SetParameter("uid", 12);
    url.SetParameter("s", 500);
    EXPECT_EQ(url.ComposeURL(), "http://example.org/submit?name=Ann%20Lee&uid=12&s=500");
    url.SetParameter("uid", 13);
    EXPECT_EQ(url.ComposeEncodedParameters(), "name=Ann%20Lee&s=500&uid=13");

    const URL copy(url);
    EXPECT_EQ(copy.ComposeURL(), url.ComposeURL());
    URL assigned;
    assigned = url;
    assigned.SetParameter("extra", 1);
    EXPECT_EQ(url.ComposeEncodedParameters(), "name=Ann%20Lee&s=500&uid=13");

    EXPECT_EQ(URL::Encode("-_.~"), "%2D_.%7E");
    EXPECT_EQ(URL::Encode("\xC3\xA9/+ "), "%C3%A9%2F%2B%20");
}

namespace {

class Collect : public iDataWriter {
public:
    int WriteData(const void* data, unsigned long length) override {
        m_sText.append(static_cast<const char*>(data), length);
        return static_cast<int>(length);
    }
    std::string m_sText;
};

// A one-connection HTTP server on the loopback address. It answers with
// reply, or with nothing at all while the connection stays open when reply
// is empty. A trickling server sends the reply a byte at a time, each after
// a tenth of a second in which the client did not hang up.
class LoopbackServer {
public:
    explicit LoopbackServer(std::string reply, bool trickle = false)
        : m_sReply(std::move(reply)), m_bTrickle(trickle) {
        m_iListen = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        bind(m_iListen, reinterpret_cast<sockaddr*>(&address), size);
        listen(m_iListen, 1);
        getsockname(m_iListen, reinterpret_cast<sockaddr*>(&address), &size);
        m_iPort = ntohs(address.sin_port);
        m_Thread = std::thread([this] { Serve(); });
    }
    ~LoopbackServer() {
        m_Thread.join();
        close(m_iListen);
    }
    int GetPort() const { return m_iPort; }
    // Valid once the connection was served (after Execute returned).
    const std::string& GetRequest() const { return m_sRequest; }

private:
    void Serve() {
        const int client = accept(m_iListen, nullptr, nullptr);
        if (client < 0)
            return;
        char buffer[4096];
        while (m_sRequest.find("\r\n\r\n") == std::string::npos) {
            const ssize_t got = recv(client, buffer, sizeof buffer, 0);
            if (got <= 0)
                break;
            m_sRequest.append(buffer, static_cast<size_t>(got));
        }
        if (m_bTrickle) {
            Trickle(client);
        } else if (!m_sReply.empty()) {
            send(client, m_sReply.data(), m_sReply.size(), MSG_NOSIGNAL);
        } else {
            // Silent until the client gives up.
            while (recv(client, buffer, sizeof buffer, 0) > 0) {
            }
        }
        close(client);
    }

    void Trickle(int client) {
        for (char byte : m_sReply) {
            pollfd hangUp{client, POLLIN, 0};
            if (poll(&hangUp, 1, 100) != 0)
                return;
            if (send(client, &byte, 1, MSG_NOSIGNAL) != 1)
                return;
        }
    }

    std::string m_sReply;
    bool m_bTrickle = false;
    std::string m_sRequest;
    int m_iListen = -1;
    int m_iPort = 0;
    std::thread m_Thread;
};

}  // namespace

TEST(URLConnection, FetchesFromALoopbackServer) {
    LoopbackServer server("HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhello");
    URL url("127.0.0.1", "scores", "http://", server.GetPort());
    url.SetParameter("name", std::string("Ann"));
    url.SetParameter("s", 1200);
    Collect body;
    URLConnection connection(url, &body, nullptr);
    connection.Execute();
    EXPECT_EQ(connection.GetLastResult(), URLConnection::STATUS_SUCCEEDED);
    EXPECT_EQ(connection.GetStatus(), URLConnection::STATUS_IDLE);
    EXPECT_EQ(body.m_sText, "hello");
    EXPECT_TRUE(connection.GetLastError().empty()) << connection.GetLastError();
    EXPECT_EQ(server.GetRequest().compare(0, 25, "GET /scores?name=Ann&s=12"), 0) << server.GetRequest();
}

TEST(URLConnection, AnHttpErrorIsABodyLikeAnyOther) {
    LoopbackServer server("HTTP/1.0 404 Not Found\r\nContent-Length: 4\r\n\r\ngone");
    Collect body;
    URLConnection connection(URL("127.0.0.1", "", "", server.GetPort()), &body, nullptr);
    connection.Execute();
    EXPECT_EQ(connection.GetLastResult(), URLConnection::STATUS_SUCCEEDED);
    EXPECT_EQ(body.m_sText, "gone");
}

TEST(URLConnection, ARefusedConnectionFails) {
    // A port that was just free and has no listener.
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    bind(probe, reinterpret_cast<sockaddr*>(&address), size);
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size);
    close(probe);
    Collect body;
    URLConnection connection(URL("127.0.0.1", "", "", ntohs(address.sin_port)), &body, nullptr);
    connection.Execute();
    EXPECT_EQ(connection.GetLastResult(), URLConnection::STATUS_FAILED);
    EXPECT_EQ(connection.GetStatus(), URLConnection::STATUS_IDLE);
    EXPECT_FALSE(connection.GetLastError().empty());
    EXPECT_TRUE(body.m_sText.empty());
}

TEST(URLConnection, AStalledServerFailsWithinTheTimeout) {
    LoopbackServer server("");
    Collect body;
    URLConnection connection(URL("127.0.0.1", "", "", server.GetPort()), &body, nullptr);
    connection.SetTimeouts(1, 1);
    connection.Execute();
    EXPECT_EQ(connection.GetLastResult(), URLConnection::STATUS_FAILED);
}

// Ten bytes a second never trip the stall limit; the whole reply would take
// about ten seconds, so only the time limit ends it early.
TEST(URLConnection, ATricklingServerFailsAtTheTimeLimit) {
    const std::string reply = "HTTP/1.0 200 OK\r\nContent-Length: 60\r\n\r\n" + std::string(60, 'x');
    LoopbackServer server(reply, true);
    Collect body;
    URLConnection connection(URL("127.0.0.1", "", "", server.GetPort()), &body, nullptr);
    connection.SetTimeLimit(1);
    connection.Execute();
    EXPECT_EQ(connection.GetLastResult(), URLConnection::STATUS_FAILED);
    EXPECT_EQ(connection.GetStatus(), URLConnection::STATUS_IDLE);
    EXPECT_FALSE(connection.GetLastError().empty());
    EXPECT_LT(body.m_sText.size(), 60u);
}

TEST(URLConnection, OnlyHttpAndHttpsAreFetched) {
    const struct {
        const char* protocol;
        bool allowed;
    } cases[] = {
        {"http://", true},  {"https://", true}, {"HTTPS://", true}, {"http:///", true},
        {"file://", false}, {"file:///", false}, {"ftp://", false}, {"dict://", false},
        {"http", false},    {"http:/", false},  {"http://x", false}, {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(URLConnection::IsAllowedProtocol(c.protocol), c.allowed) << c.protocol;

    // A file the transfer could read, were file addresses let through.
    char path[] = "/tmp/delvor-url-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "secret", 6), 6);
    close(fd);
    Collect body;
    URLConnection connection(URL(std::string("file://") + path), &body, nullptr);
    connection.Execute();
    std::remove(path);
    EXPECT_EQ(connection.GetLastResult(), URLConnection::STATUS_FAILED);
    EXPECT_EQ(connection.GetStatus(), URLConnection::STATUS_IDLE);
    EXPECT_NE(connection.GetLastError().find("'file:///'"), std::string::npos) << connection.GetLastError();
    EXPECT_NE(connection.GetLastError().find("only http and https"), std::string::npos);
    EXPECT_TRUE(body.m_sText.empty());
}
