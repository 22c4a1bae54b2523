#include "engine/io/Log.h"

#include <sys/stat.h>

#include <cstdarg>
#include <mutex>
#include <vector>

#include "engine/core/Mutex.h"
#include "engine/core/Platform.h"
#include "engine/io/BasicProperties.h"
#include "engine/io/FileUtils.h"
#include "engine/io/RegistryBase.h"
#include "engine/io/RegistryInt.h"
#include "engine/io/RegistryString.h"
#include "engine/io/SystemInfo.h"

namespace ZQ2 {

const char* const LOG_DIRECTORY = "log";
const char* const LOGGING_MUTEXNAME = "_LOGGING_MUTEXNAME";
const char* const LOG_KEY_VALUE = "cdgfilename";

int Log::g_LogCount = 0;
bool Log::g_SendLogAtEnd = false;

namespace {

constexpr size_t kMessageSize = 65536;
constexpr size_t kPrefixSize = 1024;

// Debug-output entries name no source line; their context is the time.
constexpr const char* kDebugOutputSource = "debug output";

// Set while this thread writes an entry: what the entry itself sends to the
// debug output is not written again as an entry.
thread_local bool t_bWritingEntry = false;

// The log that keeps the debug output. Taken before that log's own lock, and
// held for a whole entry, so that the log cannot go in the middle of one.
std::mutex g_DebugOutputMutex;
Log* g_pDebugOutputLog = nullptr;

std::string WithOneLineFeed(std::string text) {
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text + "\n";
}

}  // namespace

Log* Log::Instance(ePriority threshold, const BitFlags_t<eOutputMethod>& outputs, const std::string& name) {
    static Log instance(threshold, outputs, name);
    return &instance;
}

Log::Log(ePriority threshold, const BitFlags_t<eOutputMethod>& outputs, const std::string& name)
    : m_Outputs(outputs), m_eThreshold(threshold), m_pMutex(Mutex::Create(name + LOGGING_MUTEXNAME)) {
    g_LogCount = 0;
}

Log::~Log() {
    {
        std::lock_guard<std::mutex> lock(g_DebugOutputMutex);
        if (g_pDebugOutputLog == this) {
            g_pDebugOutputLog = nullptr;
            Platform::SetOutputDebugStringLog(nullptr);
        }
    }
    if (g_SendLogAtEnd) {
        RegistryInt crashed(RegistryBase::GetTarvoWrapperRegistryPath() + "\\crashed", 0, false);
        crashed = 1;
    }
    if (m_pFile)
        std::fclose(m_pFile);
    delete m_pMutex;
}

void Log::SetVars(const std::string& sourceFile, const std::string& context, int line) {
    m_pMutex->Lock();
    t_bWritingEntry = true;
    m_sSourceFile = ShortenPath(sourceFile);
    m_sContext = context;
    m_iLine = line;
}

void Log::Output(ePriority priority, const char* format, ...) {
    if (IsWritten(priority)) {
        std::vector<char> message(kMessageSize);
        va_list arguments;
        va_start(arguments, format);
        std::vsnprintf(message.data(), kMessageSize - 1, format, arguments);
        va_end(arguments);
        WriteEntry(std::string(message.data()) + "\n", true);
    }
    EndEntry();
}

void Log::WriteEntry(const std::string& message, bool toScreen) {
    std::vector<char> prefix(kPrefixSize);
    std::snprintf(prefix.data(), kPrefixSize, "%s:%d: [%s]", m_sSourceFile.c_str(), m_iLine, m_sContext.c_str());
    if (toScreen && m_Outputs.IsSet(LOG_OUTPUT_SCREEN))
        Platform::OutputDebugString(message, prefix.data());
    if (m_Outputs.IsSet(LOG_OUTPUT_FILE))
        WriteToFile(prefix.data(), message);
    ++g_LogCount;
}

void Log::EndEntry() {
    t_bWritingEntry = false;
    m_pMutex->Unlock();
}

// The file is opened and closed for each entry, so every entry is on disk
// should the program end abruptly.
void Log::WriteToFile(const std::string& prefix, const std::string& message) {
    if (g_LogCount > MAX_ENTRIES) {
        DeleteFile(m_sLogFileName);
        if (m_pFile)
            std::fclose(m_pFile);
        m_pFile = nullptr;
        g_LogCount = 0;
        m_bSystemLineWritten = false;
    }
    OpenFileForEntry();
    if (!m_pFile)
        return;
    if (!prefix.empty())
        std::fprintf(m_pFile, "%s\n\t", prefix.c_str());
    std::fprintf(m_pFile, "%s\n", message.c_str());
    std::fflush(m_pFile);
    std::fclose(m_pFile);
    m_pFile = nullptr;
}

// A file that could not be opened is tried again at the next entry; the
// system line goes first into whichever file opens.
void Log::OpenFileForEntry() {
    CreateLogFileName();
    if (!m_pFile)
        m_pFile = std::fopen(m_sLogFileName.c_str(), "a");
    if (!m_pFile || m_bSystemLineWritten)
        return;
    AddSystemInfo();
    m_bSystemLineWritten = true;
}

void Log::TakeDebugOutput() {
    std::lock_guard<std::mutex> lock(g_DebugOutputMutex);
    g_pDebugOutputLog = this;
    Platform::SetOutputDebugStringLog(&Log::OnDebugOutput);
}

void Log::OnDebugOutput(const std::string& message) {
    if (t_bWritingEntry)
        return;
    std::lock_guard<std::mutex> lock(g_DebugOutputMutex);
    Log* log = g_pDebugOutputLog;
    if (!log)
        return;
    log->SetVars(kDebugOutputSource, Platform::GetDateAndTime(), 0);
    if (log->IsWritten(LOG_WARNING))
        log->WriteEntry(WithOneLineFeed(message), false);
    log->EndEntry();
}

void Log::CreateLogFileName() {
    if (!m_sLogFileName.empty())
        return;
    // The temporary folder is made when first asked for; it may have been
    // cleared since.
    const std::string temp = GetTempDirPath();
    CreatePath(temp);
    const std::string folder = temp + "/" + LOG_DIRECTORY;
    mkdir(folder.c_str(), 0777);
    m_sLogFileName = folder + "/" + Platform::GetDateAndTime() + ".log";
}

void Log::AddSystemInfo() {
    if (!m_pFile)
        return;
    const SystemInfo info;
    std::fprintf(m_pFile,
                 "GameName[%s]CompName[%s]CPUSpeed[%d]CPUType[%d]NumberOfCPUs[%d]CPUCaps[%d]OSName[%s]WinBuild[%d]"
                 "SysMem[%lld]DirectX[#%04x]Screen[%dx%dx%d]\n",
                 BasicProperties::GetGameName().c_str(), info.m_sComputerName.c_str(), info.m_iCpuSpeed,
                 info.m_iCpuType, info.m_iNumberOfCpus, 0, info.m_sOSName.c_str(), info.m_iOSBuild,
                 static_cast<long long>(info.GetSystemMemory()), static_cast<unsigned>(info.m_iDirectXVersion),
                 info.m_iDisplayWidth, info.m_iDisplayHeight, info.m_iBitsPerPixel);
    std::fflush(m_pFile);
}

void Log::EnableSendingLogsHome() {
    Log* log = Instance(LOG_INFO, BitFlags_t<eOutputMethod>(LOG_OUTPUT_SCREEN | LOG_OUTPUT_FILE), "");
    log->m_pMutex->Lock();
    log->CreateLogFileName();
    const std::string name = log->m_sLogFileName;
    log->m_pMutex->Unlock();
    RegistryString key(RegistryBase::GetTarvoWrapperRegistryPath() + "\\" + LOG_KEY_VALUE, "", false);
    key = name;
}

}  // namespace ZQ2
