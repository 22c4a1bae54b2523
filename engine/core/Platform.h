#pragma once
// The engine's platform services: clock, sleep, events, message boxes,
// browser, clipboard, keys, display and dates. The rest of the engine reaches
// the operating system only through these.
#include <ctime>
#include <string>

#include "engine/core/UTF8String.h"

namespace ZQ2 {

// The engine's key codes. Codes without a name here have no key.
enum eSysKey : unsigned int {
    SYSKEY_NONE = 0,
    SYSKEY_BACKSPACE = 1,
    SYSKEY_TAB = 2,
    SYSKEY_DELETE = 4,
    SYSKEY_RETURN = 5,
    SYSKEY_SHIFT = 6,  // either shift key
    SYSKEY_LSHIFT = 7,
    SYSKEY_RSHIFT = 8,
    SYSKEY_CONTROL = 9,  // either control key
    SYSKEY_LCONTROL = 10,
    SYSKEY_RCONTROL = 11,
    SYSKEY_ALT = 12,  // either alt (option) key
    SYSKEY_LALT = 13,
    SYSKEY_RALT = 14,
    SYSKEY_ESCAPE = 16,
    SYSKEY_SPACE = 17,
    SYSKEY_END = 18,
    SYSKEY_HOME = 19,
    SYSKEY_LEFT = 20,
    SYSKEY_UP = 21,
    SYSKEY_RIGHT = 22,
    SYSKEY_DOWN = 23,
    SYSKEY_COMMAND = 26,
    SYSKEY_CAPSLOCK = 30,
    SYSKEY_NUMPAD0 = 33,  // keypad digits run 33 to 42
    SYSKEY_NUMPAD9 = 42,
    SYSKEY_MULTIPLY = 43,
    SYSKEY_ADD = 44,
    SYSKEY_SUBTRACT = 46,
    SYSKEY_DECIMAL = 47,
    SYSKEY_DIVIDE = 48,
    SYSKEY_F1 = 53,  // function keys run 53 to 72
    SYSKEY_F12 = 64,
    SYSKEY_F20 = 72,
};

// Buttons of a message box, in the order they appear.
enum eMessageStyle : int {
    MESSAGESTYLE_OK = 0,
    MESSAGESTYLE_OKCANCEL = 1,
    MESSAGESTYLE_YESNO = 2,
    MESSAGESTYLE_YESNOCANCEL = 3,
};

// Answers of a message box.
enum eMessageResult : int {
    MESSAGERESULT_OK = 0,
    MESSAGERESULT_CANCEL = 1,
    MESSAGERESULT_YES = 2,
    MESSAGERESULT_NO = 3,
};

class Platform {
public:
    using OutputDebugStringCallback = void (*)(const std::string& message);

    // Clock and loop. The clock and Sleep may be used on any thread; the
    // event and quit calls belong to the main thread.

    // Milliseconds from a monotonic clock; wraps after about 49.7 days.
    static unsigned int GetMilliseconds();
    // Seconds since 1970.
    static std::time_t GetTime();
    static void Sleep(unsigned long ms);
    // Timer resolution is always fine here; kept for the task manager's brackets.
    static void BeginHighTimeGranularity() {}
    static void EndHighTimeGranularity() {}
    // Dispatches at most one pending system event; false when none was waiting.
    static bool DispatchOneSystemEvent();
    // Asks the application to quit on a later pass of the event loop.
    static void PostQuitMessage(long code);

    // User interface (main thread).

    // Modal box: caption as its headline, text as its body. Answers an
    // eMessageResult; without a visible display it writes to standard error
    // and answers the first button.
    static int MessageBox(const std::string& text, const std::string& caption, eMessageStyle style,
                          void* owner = nullptr);
    // Opens url in the default browser; "http://" is put in front of an
    // address without a scheme. Addresses that are not well-formed web
    // addresses are dropped.
    static void OpenInBrowser(const std::string& url);
    static void SetTextOnClipboard(const std::string& text);
    static std::string GetTextFromClipboard();

    // Keys. The system's key identifiers are SDL scancodes.
    static eSysKey GetZQKey(unsigned int systemKey);
    static unsigned int GetSystemKeyId(eSysKey key);
    // Only the shift, control and alt codes (6 to 14) are answered.
    static bool IsKeyDown(eSysKey key);

    // Debug output (the engine's warnings and errors) goes to standard error,
    // to the callback and to the log, when they are set; any thread may write it.
    static void OutputDebugString(const std::string& message, const std::string& prefix = "");
    static void OutputDebugStringFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
    static void SetOutputDebugStringCallback(OutputDebugStringCallback callback);
    static void SetOutputDebugStringLog(OutputDebugStringCallback log);

    // Display and system.
    static int GetDisplayWidth();
    static int GetDisplayHeight();
    static int GetBitDepth();
    static bool IsHardwareSupported() { return true; }
    static bool IsResolutionSupported(int, int) { return true; }
    static UTF8String GetGameVersion();
    static UTF8String GetComputerName();
    // Appended with "_" to constants that differ per platform.
    static const std::string& GetPlatformIdentifier();

    // Dates: GetDate and GetDayOfYear in UTC, GetDateAndTime in local time
    // as "%Y-%b-%d %H:%M:%S" with English month names.
    static void GetDate(int& year, int& month, int& day);
    static int GetDayOfYear();
    static std::string GetDateAndTime();
};

}  // namespace ZQ2
