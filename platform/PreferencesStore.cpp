#include "platform/PreferencesStore.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/SystemPaths.h"

namespace platform {

namespace {

const char* const kHeader = "delvor-preferences 1";
// mkstemp's template: the file's name, a dot and six characters.
const char* const kTempSuffix = ".XXXXXX";

bool IsPlainByte(unsigned char c) { return c > 0x20 && c != 0x7F && c != '%'; }

std::string Escape(const std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (IsPlainByte(c)) {
            out += static_cast<char>(c);
            continue;
        }
        out += '%';
        out += kHex[c >> 4];
        out += kHex[c & 15];
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool Unescape(const std::string& text, std::string& out) {
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return false;
        const int high = HexDigit(text[i + 1]);
        const int low = HexDigit(text[i + 2]);
        if (high < 0 || low < 0)
            return false;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

bool ParseNumber(const std::string& text, int64_t& out) {
    if (text.empty() || text.size() > 20)
        return false;
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || text[0] == ' ' || text[0] == '+')
        return false;
    out = static_cast<int64_t>(value);
    return true;
}

std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields(1);
    for (char c : line) {
        if (c == ' ')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

// One line: kind ("s" or "i"), folder, name, value; each field escaped.
bool ParseLine(const std::string& line, PreferencesStore::Entries& out) {
    const std::vector<std::string> fields = SplitFields(line);
    if (fields.size() != 4 || (fields[0] != "s" && fields[0] != "i"))
        return false;
    std::string folder, name, text;
    if (!Unescape(fields[1], folder) || !Unescape(fields[2], name) || !Unescape(fields[3], text) || name.empty())
        return false;
    PreferencesStore::Value value;
    value.m_bInteger = fields[0] == "i";
    if (value.m_bInteger && !ParseNumber(text, value.m_iNumber))
        return false;
    if (!value.m_bInteger)
        value.m_sText = text;
    out[{folder, name}] = value;
    return true;
}

bool ReadFile(const std::string& path, std::string& out, bool& missing) {
    missing = false;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        missing = errno == ENOENT;
        return false;
    }
    out.clear();
    char chunk[4096];
    size_t got = 0;
    bool ok = true;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        out.append(chunk, got);
        if (out.size() > PreferencesStore::MAX_FILE_SIZE) {
            ok = false;
            break;
        }
    }
    ok = ok && !std::ferror(file);
    std::fclose(file);
    return ok;
}

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Makes a rename within the folder durable.
void SyncFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    fsync(fd);
    close(fd);
}

bool IsTempName(const std::string& entry, const std::string& file) {
    const std::string prefix = file + ".";
    const size_t tail = std::strlen(kTempSuffix) - 1;
    if (entry.size() != prefix.size() + tail || entry.compare(0, prefix.size(), prefix) != 0)
        return false;
    for (size_t i = prefix.size(); i < entry.size(); ++i) {
        const char c = entry[i];
        const bool alnum = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (!alnum)
            return false;
    }
    return true;
}

// A run killed between making its temporary file and renaming it leaves the
// temporary behind; nothing else ever removes it.
void RemoveLeftoverTemps(const std::string& folder, const std::string& file) {
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return;
    while (const dirent* entry = readdir(dir)) {
        if (IsTempName(entry->d_name, file))
            unlinkat(dirfd(dir), entry->d_name, 0);
    }
    closedir(dir);
}

// Every line end counts as one line feed, CR-LF and a lone CR included, as
// in the property files; stored text never holds a raw CR (it is escaped).
std::string WithLineFeeds(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            out += text[i];
            continue;
        }
        out += '\n';
        if (i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
    }
    return out;
}

bool IsBlank(const std::string& line) { return line.find_first_not_of(" \t") == std::string::npos; }

bool MakeFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1); ; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            return true;
    }
}

// A domain names one folder: no separators, no dot names.
bool IsUsableDomain(const std::string& domain) {
    return !domain.empty() && domain != "." && domain != ".." && domain.find('/') == std::string::npos;
}

}  // namespace

PreferencesStore::PreferencesStore(const std::string& domain) : m_sDomain(domain) {
    const std::string home = ConfigHome();
    if (IsUsableDomain(domain) && !home.empty())
        m_sPath = home + "/" + domain + "/preferences";
}

std::string PreferencesStore::ConfigHome() {
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome && configHome[0] == '/')
        return configHome;
    const std::string home = SystemPaths::HomeDir();
    return home.empty() ? std::string() : home + "/.config";
}

bool PreferencesStore::Load() {
    m_Entries.clear();
    if (m_sPath.empty())
        return false;
    const size_t slash = m_sPath.rfind('/');
    RemoveLeftoverTemps(m_sPath.substr(0, slash), m_sPath.substr(slash + 1));
    std::string text;
    bool missing = false;
    const bool read = ReadFile(m_sPath, text, missing);
    if (missing)
        return true;
    Entries entries;
    if (!read || !Parse(text, entries)) {
        std::rename(m_sPath.c_str(), (m_sPath + ".bad").c_str());
        return false;
    }
    m_Entries.swap(entries);
    return true;
}

bool PreferencesStore::Save() const {
    if (m_sPath.empty())
        return false;
    const std::string folder = m_sPath.substr(0, m_sPath.rfind('/'));
    if (!MakeFolders(folder))
        return false;
    std::string temp = m_sPath + kTempSuffix;
    const int fd = mkstemp(&temp[0]);
    if (fd < 0)
        return false;
    const bool written = WriteAll(fd, Format(m_Entries)) && fsync(fd) == 0;
    const bool closed = close(fd) == 0;
    if (!written || !closed || std::rename(temp.c_str(), m_sPath.c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    SyncFolder(folder);
    return true;
}

bool PreferencesStore::Has(const std::string& folder, const std::string& name) const {
    return m_Entries.count({folder, name}) != 0;
}

const PreferencesStore::Value* PreferencesStore::Get(const std::string& folder, const std::string& name) const {
    const auto found = m_Entries.find({folder, name});
    return found == m_Entries.end() ? nullptr : &found->second;
}

// A value without a name could not be read back, so it is never stored.
void PreferencesStore::SetString(const std::string& folder, const std::string& name, const std::string& text) {
    if (name.empty())
        return;
    Value value;
    value.m_sText = text;
    m_Entries[{folder, name}] = value;
}

void PreferencesStore::SetInteger(const std::string& folder, const std::string& name, int64_t number) {
    if (name.empty())
        return;
    Value value;
    value.m_bInteger = true;
    value.m_iNumber = number;
    m_Entries[{folder, name}] = value;
}

void PreferencesStore::Remove(const std::string& folder, const std::string& name) { m_Entries.erase({folder, name}); }

void PreferencesStore::RemoveFolder(const std::string& folder) {
    for (auto it = m_Entries.begin(); it != m_Entries.end();) {
        if (it->first.first == folder)
            it = m_Entries.erase(it);
        else
            ++it;
    }
}

std::vector<std::string> PreferencesStore::ListKeys() const {
    std::vector<std::string> keys;
    for (const auto& entry : m_Entries) {
        if (entry.first.first.empty())
            keys.push_back(entry.first.second);
    }
    return keys;
}

std::string PreferencesStore::Format(const Entries& entries) {
    std::string text = std::string(kHeader) + "\n";
    for (const auto& [key, value] : entries) {
        text += value.m_bInteger ? "i " : "s ";
        text += Escape(key.first) + " " + Escape(key.second) + " ";
        text += value.m_bInteger ? std::to_string(value.m_iNumber) : Escape(value.m_sText);
        text += "\n";
    }
    return text;
}

// Blank lines are skipped; the last line must end, so a cut-off file is
// never taken for a whole one.
bool PreferencesStore::Parse(const std::string& original, Entries& out) {
    const std::string text = WithLineFeeds(original);
    const std::string header = std::string(kHeader) + "\n";
    if (text.compare(0, header.size(), header) != 0 || text.back() != '\n')
        return false;
    Entries entries;
    size_t start = header.size();
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        const std::string line = text.substr(start, end - start);
        if (!IsBlank(line) && !ParseLine(line, entries))
            return false;
        start = end + 1;
    }
    out.swap(entries);
    return true;
}

}  // namespace platform
