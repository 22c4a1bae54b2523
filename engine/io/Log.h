#pragma once
// The engine's diagnostic log: entries of a minimum priority go to standard
// error and/or a file in the temporary folder, each naming the source line
// that made it. The file starts with a line of system information and
// begins again after 10,000 entries. The log the game starts with also keeps
// the engine's debug output, its warnings and errors, for players' reports.
#include <cstdio>
#include <string>

#include "engine/core/BitFlags_t.h"

namespace ZQ2 {

class Mutex;

enum ePriority { LOG_INFO = 0, LOG_WARNING = 1, LOG_ERROR = 2, LOG_CRITICAL = 3, LOG_NEVER = 4 };
enum eOutputMethod { LOG_OUTPUT_SCREEN = 1, LOG_OUTPUT_FILE = 2 };

extern const char* const LOG_DIRECTORY;
extern const char* const LOGGING_MUTEXNAME;
extern const char* const LOG_KEY_VALUE;

class Log {
public:
    // The entries a file holds before it begins again.
    static constexpr int MAX_ENTRIES = 10000;

    // The one instance, made from the first call's arguments.
    static Log* Instance(ePriority threshold, const BitFlags_t<eOutputMethod>& outputs, const std::string& name);

    Log(ePriority threshold, const BitFlags_t<eOutputMethod>& outputs, const std::string& name);
    virtual ~Log();
    Log(const Log&) = delete;
    Log& operator=(const Log&) = delete;

    // An entry is SetVars then Output on one thread: SetVars takes the lock
    // and Output always releases it.
    void SetVars(const std::string& sourceFile, const std::string& context, int line);
    void Output(ePriority priority, const char* format, ...) __attribute__((format(printf, 3, 4)));

    void CreateLogFileName();
    void AddSystemInfo();
    // The engine's debug output becomes warnings of this log too, until
    // the log is destroyed; copies to the screen are left out, as the
    // debug output is there already.
    void TakeDebugOutput();
    static void EnableSendingLogsHome();

    const std::string& GetLogFileName() const { return m_sLogFileName; }
    static int GetLogCount() { return g_LogCount; }

    static bool g_SendLogAtEnd;

private:
    static void OnDebugOutput(const std::string& message);
    // The parts of one entry; the caller holds the lock from SetVars on.
    bool IsWritten(ePriority priority) const { return priority != LOG_NEVER && priority >= m_eThreshold; }
    void WriteEntry(const std::string& message, bool toScreen);
    void EndEntry();
    void WriteToFile(const std::string& prefix, const std::string& message);
    void OpenFileForEntry();

    std::FILE* m_pFile = nullptr;
    BitFlags_t<eOutputMethod> m_Outputs;
    ePriority m_eThreshold;
    std::string m_sLogFileName;
    std::string m_sSourceFile;
    std::string m_sContext;
    int m_iLine = 0;
    Mutex* m_pMutex = nullptr;
    bool m_bSystemLineWritten = false;

    static int g_LogCount;
};

}  // namespace ZQ2
