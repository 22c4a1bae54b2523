#include "engine/io/Log.h"

#include <sys/stat.h>

#include <cstdarg>
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
    m_sSourceFile = ShortenPath(sourceFile);
    m_sContext = context;
    m_iLine = line;
}

void Log::Output(ePriority priority, const char* format, ...) {
    if (priority != LOG_NEVER && priority >= m_eThreshold) {
        std::vector<char> message(kMessageSize);
        va_list arguments;
        va_start(arguments, format);
        std::vsnprintf(message.data(), kMessageSize - 1, format, arguments);
        va_end(arguments);
        const std::string text = std::string(message.data()) + "\n";
        std::vector<char> prefix(kPrefixSize);
        std::snprintf(prefix.data(), kPrefixSize, "%s:%d: [%s]", m_sSourceFile.c_str(), m_iLine,
                      m_sContext.c_str());
        if (m_Outputs.IsSet(LOG_OUTPUT_SCREEN))
            Platform::OutputDebugString(text, prefix.data());
        if (m_Outputs.IsSet(LOG_OUTPUT_FILE))
            WriteToFile(prefix.data(), text);
        ++g_LogCount;
    }
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
    }
    if (g_LogCount == 0)
        CreateLogFileName();
    if (!m_pFile)
        m_pFile = std::fopen(m_sLogFileName.c_str(), "a");
    if (!m_pFile)
        return;
    if (g_LogCount == 0)
        AddSystemInfo();
    if (!prefix.empty())
        std::fprintf(m_pFile, "%s\n\t", prefix.c_str());
    std::fprintf(m_pFile, "%s\n", message.c_str());
    std::fflush(m_pFile);
    std::fclose(m_pFile);
    m_pFile = nullptr;
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
