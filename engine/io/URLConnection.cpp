#include "engine/io/URLConnection.h"

#include <curl/curl.h>

#include "engine/io/iDataReader.h"
#include "engine/io/iDataWriter.h"

namespace ZQ2 {

namespace {

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

// A server that never answers, or stops sending, would block the game for
// good: connecting and stalling are bounded. Signals are left alone, since
// the game runs threads.
int URLConnection::SetupConnection() {
    if (m_iStatus != STATUS_IDLE)
        return m_iStatus = STATUS_FAILED;
    m_pHandle = curl_easy_init();
    if (!m_pHandle)
        return m_iStatus = STATUS_FAILED;
    CURL* curl = Handle(m_pHandle);
    const std::string address = m_Address.ComposeURL();
    const bool ok = curl_easy_setopt(curl, CURLOPT_URL, address.c_str()) == CURLE_OK &&
                    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
                    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, m_lConnectTimeout) == CURLE_OK &&
                    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L) == CURLE_OK &&
                    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, m_lStallTimeout) == CURLE_OK;
    return m_iStatus = ok ? STATUS_SETUP : STATUS_FAILED;
}

int URLConnection::SetupDownloadFunction() {
    if (m_iStatus != STATUS_SETUP)
        return m_iStatus = STATUS_FAILED;
    CURL* curl = Handle(m_pHandle);
    const bool ok = curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &URLConnection::OnDownloadData) == CURLE_OK &&
                    curl_easy_setopt(curl, CURLOPT_WRITEDATA, this) == CURLE_OK;
    return m_iStatus = ok ? STATUS_SETUP : STATUS_FAILED;
}

int URLConnection::SetupUploadFunction() {
    if (m_iStatus != STATUS_SETUP)
        return m_iStatus = STATUS_FAILED;
    CURL* curl = Handle(m_pHandle);
    const bool ok = curl_easy_setopt(curl, CURLOPT_READFUNCTION, &URLConnection::OnUploadData) == CURLE_OK &&
                    curl_easy_setopt(curl, CURLOPT_READDATA, this) == CURLE_OK;
    return m_iStatus = ok ? STATUS_SETUP : STATUS_FAILED;
}

int URLConnection::PerformConnection() {
    if (m_iStatus != STATUS_SETUP)
        return m_iStatus = STATUS_FAILED;
    return m_iStatus = curl_easy_perform(Handle(m_pHandle)) == CURLE_OK ? STATUS_SUCCEEDED : STATUS_FAILED;
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
