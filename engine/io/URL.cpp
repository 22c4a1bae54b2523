#include "engine/io/URL.h"

#include "engine/io/PropertyValue.h"

namespace ZQ2 {

URL::URL() : m_Parameters("", "") {}

URL::URL(const std::string& host, const std::string& page, const std::string& protocol, int port)
    : m_iPort(port), m_sHost(host), m_sPage(page), m_sProtocol(protocol), m_Parameters("", "") {}

URL::URL(const std::string& text) : m_Parameters("", "") { SetURL(text); }

URL::URL(const URL& other)
    : m_iPort(other.m_iPort),
      m_sHost(other.m_sHost),
      m_sPage(other.m_sPage),
      m_sProtocol(other.m_sProtocol),
      m_Parameters("", "") {
    CopyParameters(other.m_Parameters);
}

URL& URL::operator=(const URL& other) {
    if (&other == this)
        return *this;
    m_iPort = other.m_iPort;
    m_sHost = other.m_sHost;
    m_sPage = other.m_sPage;
    m_sProtocol = other.m_sProtocol;
    CopyParameters(other.m_Parameters);
    return *this;
}

void URL::CopyParameters(const PropertyNode& node) {
    m_Parameters.Clear();
    for (const SmartPtr<AbstractProperty>& child : node) {
        if (child)
            m_Parameters.InsertProperty(child.Get());
    }
}

void URL::SetURL(const std::string& text) {
    m_sProtocol = ExtractProtocol(text);
    m_sHost = ExtractHost(text);
    m_sPage = ExtractPage(text);
}

void URL::SetParameter(const std::string& name, const std::string& value) {
    m_Parameters.InsertProperty(new PropertyValue(name, value, true));
}

void URL::SetParameter(const std::string& name, int value) { SetParameter(name, std::to_string(value)); }

void URL::SetParameters(const PropertyNode& node) { CopyParameters(node); }

std::string URL::GetProtocol() const { return m_sProtocol.empty() ? std::string("http://") : m_sProtocol; }

std::string URL::GetPort() const { return std::to_string(m_iPort); }

std::string URL::ComposeURL() const {
    std::string text = GetProtocol() + m_sHost;
    if (m_iPort > 0)
        text += ":" + GetPort();
    text += "/" + m_sPage;
    if (m_Parameters.GetCount() > 0)
        text += "?" + ComposeEncodedParameters();
    return text;
}

std::string URL::ComposeEncodedParameters() const {
    std::string text;
    for (const SmartPtr<AbstractProperty>& child : m_Parameters) {
        if (!child || child->GetType() != PROPERTY_VALUE)
            continue;
        if (!text.empty())
            text += "&";
        text += Encode(child->GetName()) + "=" + Encode(child->ToValue()->GetValue());
    }
    return text;
}

std::string URL::Encode(const std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        const bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
                           c == '.';
        if (plain) {
            out += static_cast<char>(c);
            continue;
        }
        out += '%';
        out += kHex[c >> 4];
        out += kHex[c & 15];
    }
    return out;
}

int URL::FindProtocolEnd(const std::string& text) {
    const size_t mark = text.find("://");
    if (mark == std::string::npos)
        return -1;
    size_t end = mark + 1;
    while (end < text.size() && text[end] == '/')
        ++end;
    return static_cast<int>(end);
}

std::string URL::ExtractProtocol(const std::string& text) {
    const int end = FindProtocolEnd(text);
    return end < 0 ? std::string() : text.substr(0, static_cast<size_t>(end));
}

namespace {

size_t HostStart(const std::string& text) {
    const int end = URL::FindProtocolEnd(text);
    return end < 0 ? 0 : static_cast<size_t>(end);
}

}  // namespace

std::string URL::ExtractHost(const std::string& text) {
    const size_t start = HostStart(text);
    const size_t slash = text.find('/', start);
    return text.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
}

std::string URL::ExtractPage(const std::string& text) {
    const size_t slash = text.find('/', HostStart(text));
    return slash == std::string::npos ? std::string() : text.substr(slash + 1);
}

}  // namespace ZQ2
