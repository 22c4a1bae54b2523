#include "engine/io/FileUtils.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <vector>

#include "engine/core/Utils.h"
#include "engine/io/BasicProperties.h"
#include "engine/io/FileArchive.h"
#include "platform/SystemPaths.h"

namespace ZQ2 {
namespace {

constexpr mode_t kFolderMode = 0750;
// The XDG rules ask for 0700 on base folders that have to be made.
constexpr mode_t kDataHomeMode = 0700;
constexpr const char* kMakerFolder = "Fablewood";
constexpr const char* kTempFolder = "_temp";
constexpr const char* kDisallowed = "*+#:?[]|<>/\\\"";

std::recursive_mutex g_FolderMutex;
std::string g_strMakerDir;
std::string g_strSaveDir;
std::string g_strTempDir;

// mkdir's mode passes through the umask; the folder is given exactly the
// mode asked for, as the user's other programs would see it.
bool MakeFolder(const std::string& path, mode_t mode) {
    if (mkdir(path.c_str(), mode) == 0)
        return chmod(path.c_str(), mode) == 0;
    return errno == EEXIST;
}

bool CreateFolders(const std::string& path, mode_t mode) {
    if (path.empty())
        return false;
    if (PathExists(path))
        return true;
    const size_t slash = path.find_last_of("/\\");
    if (slash != std::string::npos && slash > 0)
        CreateFolders(path.substr(0, slash), mode);
    return MakeFolder(path, mode) && PathExists(path);
}

std::string MakerDirLocked() {
    if (!g_strMakerDir.empty())
        return g_strMakerDir;
    const std::string dataHome = platform::SystemPaths::DataHome();
    if (dataHome.empty()) {
        // No home at all: the current folder, not remembered.
        MakeFolder(kMakerFolder, kFolderMode);
        return kMakerFolder;
    }
    CreateFolders(dataHome, kDataHomeMode);
    const std::string path = dataHome + "/" + kMakerFolder;
    MakeFolder(path, kFolderMode);
    g_strMakerDir = path;
    return path;
}

// The save folder is only final once the game id is known; asked earlier,
// the path is given but not remembered.
std::string SaveDirLocked(bool& final) {
    final = !g_strSaveDir.empty();
    if (final)
        return g_strSaveDir;
    const std::string id = BasicProperties::GetGameId();
    const std::string path = MakerDirLocked() + "/" + id;
    MakeFolder(path, kFolderMode);
    final = !id.empty();
    if (final)
        g_strSaveDir = path;
    return path;
}

bool IsHexDigit(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    return std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
}

bool NeedsEscape(unsigned char c, bool first) {
    if (c < 32)
        return true;
    if (first && (c == '.' || c == ' '))
        return true;
    for (const char* p = kDisallowed; *p; ++p) {
        if (static_cast<unsigned char>(*p) == c)
            return true;
    }
    return false;
}

// The last component of path once trailing slashes are dropped.
std::string LastComponent(const std::string& path) {
    size_t end = path.find_last_not_of('/');
    if (end == std::string::npos)
        return "/";
    const size_t slash = path.find_last_of('/', end);
    const size_t start = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(start, end + 1 - start);
}

}  // namespace

std::string GetLocalAppsDirPath() {
    std::lock_guard<std::recursive_mutex> lock(g_FolderMutex);
    return MakerDirLocked();
}

std::string GetGameSaveDirPath() {
    std::lock_guard<std::recursive_mutex> lock(g_FolderMutex);
    bool final = false;
    return SaveDirLocked(final);
}

std::string GetTempDirPath() {
    std::lock_guard<std::recursive_mutex> lock(g_FolderMutex);
    if (!g_strTempDir.empty())
        return g_strTempDir;
    bool final = false;
    const std::string path = SaveDirLocked(final) + "/" + kTempFolder;
    MakeFolder(path, kFolderMode);
    if (final)
        g_strTempDir = path;
    return path;
}

std::string GetDataPath() {
    const std::string dir = platform::SystemPaths::ExecutableDir();
    if (dir.empty())
        return "";
    return dir == "/" ? "/data" : dir + "/data";
}

std::string GetWorkPath() {
    std::vector<char> buffer(1024);
    while (!getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE)
            return "";
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

bool SetWorkPath(const std::string& path) { return !path.empty() && chdir(path.c_str()) == 0; }

std::string GetApplicationPath() { return ""; }

bool CreatePath(const std::string& path) {
    std::string folders = path;
    Utils::Replace(folders, "\\", "/", true);
    return CreateFolders(folders, kFolderMode);
}

bool PathExists(const std::string& path) {
    struct stat info;
    return !path.empty() && stat(path.c_str(), &info) == 0;
}

bool FileExists(const std::string& path) {
    if (PathExists(path))
        return true;
    const std::string work = GetWorkPath();
    if (work.empty() || path.empty())
        return false;
    const size_t start = path.find_first_not_of('/');
    if (start == std::string::npos)
        return false;
    return PathExists(work + "/" + path.substr(start));
}

bool DeleteFile(const std::string& path) { return !path.empty() && unlink(path.c_str()) == 0; }

bool SetFileAside(const std::string& path) {
    return !path.empty() && std::rename(path.c_str(), (path + ".unreadable").c_str()) == 0;
}

// A path ending in "/" names its folder through an empty last component: a
// name built from nothing, never the folder meant.
bool RemoveDir(const std::string& path) {
    const std::string last = LastComponent(path);
    if (path.empty() || path.back() == '/' || last == "." || last == ".." || last == "/")
        return false;
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(path, error)))
        return false;
    std::filesystem::remove_all(path, error);
    return !error;
}

bool CopyFile(const std::string& from, const std::string& to) {
    std::error_code error;
    if (from.empty() || to.empty() || std::filesystem::exists(std::filesystem::symlink_status(to, error)))
        return false;
    std::filesystem::copy(from, to, std::filesystem::copy_options::recursive, error);
    return !error;
}

bool GrantAllFilePermissions(const std::string& path) {
    return !path.empty() && chmod(path.c_str(), 0666) == 0;
}

long GetFileSize(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return 0;
    long size = 0;
    if (std::fseek(file, 0, SEEK_END) == 0)
        size = std::ftell(file);
    std::fclose(file);
    return size < 0 ? 0 : size;
}

std::string PathWithTilde(const std::string& path) {
    std::string home = platform::SystemPaths::HomeDir();
    while (home.size() > 1 && home.back() == '/')
        home.pop_back();
    if (home.empty() || home == "/" || path.compare(0, home.size(), home) != 0)
        return path;
    if (path.size() > home.size() && path[home.size()] != '/')
        return path;
    return "~" + path.substr(home.size());
}

std::string ShortenPath(const std::string& path) {
    const size_t last = path.rfind('/');
    if (last == std::string::npos || last == 0)
        return path;
    const size_t before = path.rfind('/', last - 1);
    return before == std::string::npos ? path : path.substr(before + 1);
}

std::string MakeValidPath(const std::string& path) {
    if (path.empty())
        return path;
    std::string result = path;
    Utils::Replace(result, "\\", "/", true);
    // Replace resumes after each replacement, so a run of three or more
    // slashes needs more than one pass.
    while (Utils::Replace(result, "//", "/", true)) {
    }
    // Drops "./" segments; the "./" inside "../" is kept, so parent folders
    // still work.
    size_t at = 0;
    while ((at = result.find("./", at)) != std::string::npos) {
        if (at > 0 && result[at - 1] == '.')
            at += 2;
        else
            result.erase(at, 2);
    }
    return result;
}

std::string MakeStandardFileName(const std::string& path) {
    std::string result = MakeValidPath(path);
    if (!result.empty() && result[0] == '/')
        result.erase(0, 1);
    for (char& c : result)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

std::string GetFileNameOnly(const std::string& path) {
    const std::string valid = MakeValidPath(path);
    const size_t slash = valid.rfind('/');
    if (slash == std::string::npos)
        return path;
    return valid.substr(slash + 1);
}

std::string GetDirectoryOnly(const std::string& path) {
    const std::string valid = MakeValidPath(path);
    const size_t slash = valid.rfind('/');
    if (slash == std::string::npos)
        return path;
    return valid.substr(0, slash);
}

std::string GetExtension(const std::string& name) {
    const size_t dot = name.rfind('.');
    if (name.empty() || dot == std::string::npos)
        return name;
    std::string extension = name.substr(dot + 1);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

std::string RemoveExtension(const std::string& name) {
    const size_t dot = name.rfind('.');
    if (name.empty() || dot == std::string::npos)
        return name;
    return name.substr(0, dot);
}

std::string MakeValidFileName(const std::string& name, bool) {
    std::string result;
    for (size_t i = 0; i < name.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (!NeedsEscape(c, i == 0)) {
            result += static_cast<char>(c);
            continue;
        }
        // Always two digits: with one, a control byte followed by a hex
        // digit would read back as another byte ("\x01F" and "\x1F" would
        // share a file name).
        char escape[4];
        std::snprintf(escape, sizeof escape, "#%02X", c);
        result += escape;
    }
    return result;
}

std::string GetOriginalFileName(const std::string& name) {
    std::string result;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] != '#' || i + 1 >= name.size() || !IsHexDigit(name[i + 1])) {
            result += name[i];
            continue;
        }
        int value = HexValue(name[++i]);
        if (i + 1 < name.size() && IsHexDigit(name[i + 1]))
            value = value * 16 + HexValue(name[++i]);
        result += static_cast<char>(value);
    }
    return result;
}

std::string GetEncryptFileName(const std::string& file, eArchiveType type) {
    if (type == ARCHIVE_DEFAULT)
        type = FileArchive::GetArchiveType();
    if (type == ARCHIVE_ENCRYPT_FILE || type == ARCHIVE_ENCRYPT_ZIP)
        return file + ".!";
    return file;
}

}  // namespace ZQ2
