#include "engine/io/URLConnection.h"

#include <curl/curl.h>

#include <cctype>

#include "engine/io/iDataReader.h"
#include "engine/io/iDataWriter.h"

namespace ZQ2 {

namespace {

const char* const kWebProtocols = "http,https";

CURL* Handle(void* handle) { return static_cast<CURL*>(handle); }

}  // namespace

URLConnection::URLConnection() = default;

URLConnection::URLConnection(const URL& address, iDataWriter* writer, iDataReader* reader)
    : m_Address(address), m_pWriter(writer), m_pReader(reader) {}

URLConnection::~URLConnection() {
    if (m_pHandle)
        curl_easy_cleanup(Handle(m_pHandle));
}

void URLConnection::Execute() {
    SetupConnection();
    if (m_pWriter)
        SetupDownloadFunction();
    if (m_pReader)
        SetupUploadFunction();
    PerformConnection();
    m_iLastResult = m_iStatus;
    FinishConnection();
}

bool URLConnection::IsAllowedProtocol(const std::string& protocol) {
    const size_t end = protocol.find("://");
    if (end == std::string::npos || protocol.find_first_not_of('/', end + 1) != std::string::npos)
        return false;
    std::string scheme = protocol.substr(0, end);
    for (char& c : scheme)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return scheme == "http" || scheme == "https";
}

// The first reason is kept: the steps after a failed one fail as well.
int URLConnection::Fail(const std::string& reason) {
    if (m_sLastError.empty())
        m_sLastError = reason;
    return m_iStatus = STATUS_FAILED;
}

// A server that never answers, stops sending or trickles would block the
// game for good: connecting, stalling and the whole transfer are bounded.
// Signals are left alone, since the game runs threads. libcurl itself is
// held to the web protocols too, whatever it makes of the composed text.
int URLConnection::SetupConnection() {
    m_sLastError.clear();
    if (m_iStatus != STATUS_IDLE)
        return Fail("a transfer is already set up");
    const std::string protocol = m_Address.GetProtocol();
    if (!IsAllowedProtocol(protocol))
        return Fail("the protocol '" + protocol + "' is refused: only http and https are fetched");
    m_pHandle = curl_easy_init();
    if (!m_pHandle)
        return Fail("libcurl could not make a transfer handle");
    CURL* curl = Handle(m_pHandle);
    const std::string address = m_Address.ComposeURL();
    const bool ok = curl_easy_setopt(curl, CURLOPT_URL, address.c_str()) == CURLE_OK &&
                    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, kWebProtocols) == CURLE_OK &&
                    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, kWebProtocols) == CURLE_OK &&
                    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
                    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, m_lConnectTimeout) == CURLE_OK &&
                    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L) == CURLE_OK &&
                    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, m_lStallTimeout) == CURLE_OK &&
                    curl_easy_setopt(curl, CURLOPT_TIMEOUT, m_lTimeLimit) == CURLE_OK;
    if (!ok)
        return Fail("libcurl refused the transfer's settings");
    return m_iStatus = STATUS_SETUP;
}

int URLConnection::SetupDownloadFunction() {
    if (m_iStatus != STATUS_SETUP)
        return Fail("the transfer was not set up");
    CURL* curl = Handle(m_pHandle);
    const bool ok = curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &URLConnection::OnDownloadData) == CURLE_OK &&
                    curl_easy_setopt(curl, CURLOPT_WRITEDATA, this) == CURLE_OK;
    return ok ? m_iStatus : Fail("libcurl refused the download function");
}

int URLConnection::SetupUploadFunction() {
    if (m_iStatus != STATUS_SETUP)
        return Fail("the transfer was not set up");
    CURL* curl = Handle(m_pHandle);
    const bool ok = curl_easy_setopt(curl, CURLOPT_READFUNCTION, &URLConnection::OnUploadData) == CURLE_OK &&
                    curl_easy_setopt(curl, CURLOPT_READDATA, this) == CURLE_OK;
    return ok ? m_iStatus : Fail("libcurl refused the upload function");
}

int URLConnection::PerformConnection() {
    if (m_iStatus != STATUS_SETUP)
        return Fail("the transfer was not set up");
    CURL* curl = Handle(m_pHandle);
    char detail[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, detail);
    const CURLcode code = curl_easy_perform(curl);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, static_cast<char*>(nullptr));
    if (code == CURLE_OK)
        return m_iStatus = STATUS_SUCCEEDED;
    return Fail(detail[0] ? detail : curl_easy_strerror(code));
}

int URLConnection::FinishConnection() {
    if (m_pHandle)
        curl_easy_cleanup(Handle(m_pHandle));
    m_pHandle = nullptr;
    return m_iStatus = STATUS_IDLE;
}

size_t URLConnection::OnDownloadData(void* data, size_t size, size_t count, void* connection) {
    auto* self = static_cast<URLConnection*>(connection);
    if (self && self->m_pWriter)
        self->m_pWriter->WriteData(data, static_cast<unsigned long>(size * count));
    return size * count;
}

size_t URLConnection::OnUploadData(void* buffer, size_t size, size_t count, void* connection) {
    auto* self = static_cast<URLConnection*>(connection);
    if (!self || !self->m_pReader)
        return 0;
    return self->m_pReader->ReadData(buffer, static_cast<unsigned long>(size * count));
}

}  // namespace ZQ2
