#pragma once
// One transfer of a web address over libcurl's easy interface: received
// bytes go to a writer, bytes to send come from a reader.
#include <string>

#include "engine/io/URL.h"

namespace ZQ2 {

class iDataReader;
class iDataWriter;

class URLConnection {
public:
    enum eStatus { STATUS_IDLE = 0, STATUS_SETUP = 1, STATUS_SUCCEEDED = 2, STATUS_FAILED = 3 };

    // A transfer that takes longer than this to connect, that receives
    // nothing for this long, or that is not over within the time limit, fails.
    static constexpr long CONNECT_TIMEOUT_SECONDS = 10;
    static constexpr long STALL_TIMEOUT_SECONDS = 20;
    static constexpr long TIME_LIMIT_SECONDS = 60;

    URLConnection();
    URLConnection(const URL& address, iDataWriter* writer, iDataReader* reader);
    virtual ~URLConnection();
    URLConnection(const URLConnection&) = delete;
    URLConnection& operator=(const URLConnection&) = delete;

    // The whole transfer; the connection is idle again afterwards. The
    // outcome of the last run is kept for callers that want it.
    void Execute();
    int GetLastResult() const { return m_iLastResult; }
    // Why the last run failed; empty after a success.
    const std::string& GetLastError() const { return m_sLastError; }
    void SetTimeouts(long connectSeconds, long stallSeconds) {
        m_lConnectTimeout = connectSeconds;
        m_lStallTimeout = stallSeconds;
    }
    // The whole transfer's limit, at least one second.
    void SetTimeLimit(long seconds) { m_lTimeLimit = seconds < 1 ? 1 : seconds; }

    // Only web addresses are fetched: a "file://" or any other scheme from
    // outside data must not reach libcurl's other protocols.
    static bool IsAllowedProtocol(const std::string& protocol);

    int SetupConnection();
    int SetupDownloadFunction();
    int SetupUploadFunction();
    int PerformConnection();
    int FinishConnection();

    static size_t OnDownloadData(void* data, size_t size, size_t count, void* connection);
    static size_t OnUploadData(void* buffer, size_t size, size_t count, void* connection);

    int GetStatus() const { return m_iStatus; }

private:
    int Fail(const std::string& reason);

    int m_iStatus = STATUS_IDLE;
    void* m_pHandle = nullptr;  // libcurl's easy handle
    URL m_Address;
    iDataWriter* m_pWriter = nullptr;
    iDataReader* m_pReader = nullptr;
    int m_iLastResult = STATUS_IDLE;
    long m_lConnectTimeout = CONNECT_TIMEOUT_SECONDS;
    long m_lStallTimeout = STALL_TIMEOUT_SECONDS;
    long m_lTimeLimit = TIME_LIMIT_SECONDS;
    std::string m_sLastError;
};

}  // namespace ZQ2
