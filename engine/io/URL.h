#pragma once
// A web address as its parts (protocol, host, port, page) and a list of
// query parameters; splits address texts and composes them back with the
// parameters percent-encoded.
#include <string>

#include "engine/io/PropertyNode.h"

namespace ZQ2 {

class URL {
public:
    URL();
    URL(const std::string& host, const std::string& page, const std::string& protocol, int port);
    explicit URL(const std::string& text);
    URL(const URL& other);
    URL& operator=(const URL& other);

    // Host, page and protocol from text; port and parameters stay.
    void SetURL(const std::string& text);
    // A parameter of an existing name is replaced and moves last.
    void SetParameter(const std::string& name, const std::string& value);
    void SetParameter(const std::string& name, int value);
    void SetParameters(const PropertyNode& node);
    const PropertyNode& GetParameters() const { return m_Parameters; }

    // "http://" when none was given.
    std::string GetProtocol() const;
    std::string GetPort() const;
    const std::string& GetHost() const { return m_sHost; }
    const std::string& GetPage() const { return m_sPage; }

    std::string ComposeURL() const;
    std::string ComposeEncodedParameters() const;
    static std::string Encode(const std::string& text);

    // The index behind "://" and any further slashes, or -1.
    static int FindProtocolEnd(const std::string& text);
    static std::string ExtractProtocol(const std::string& text);
    static std::string ExtractHost(const std::string& text);
    static std::string ExtractPage(const std::string& text);

private:
    void CopyParameters(const PropertyNode& node);

    int m_iPort = 0;
    std::string m_sHost;
    std::string m_sPage;
    std::string m_sProtocol;
    PropertyNode m_Parameters;
};

}  // namespace ZQ2
