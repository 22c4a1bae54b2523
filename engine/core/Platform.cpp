#include "engine/core/Platform.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <vector>

#include "platform/BrowserLauncher.h"
#include "platform/Calendar.h"
#include "platform/Clipboard.h"
#include "platform/Display.h"
#include "platform/EventPump.h"
#include "platform/Keyboard.h"
#include "platform/MessageDialog.h"
#include "platform/MonotonicClock.h"
#include "platform/SystemIdentity.h"

namespace ZQ2 {
namespace {

std::atomic<Platform::OutputDebugStringCallback> g_OutputDebugStringCallback{nullptr};
std::atomic<Platform::OutputDebugStringCallback> g_OutputDebugStringLog{nullptr};

std::vector<std::string> ButtonsOf(eMessageStyle style) {
    switch (style) {
        case MESSAGESTYLE_OKCANCEL: return {"OK", "Cancel"};
        case MESSAGESTYLE_YESNO: return {"Yes", "No"};
        case MESSAGESTYLE_YESNOCANCEL: return {"Yes", "No", "Cancel"};
        default: return {"OK"};
    }
}

int ResultOf(eMessageStyle style, int pressed) {
    const bool yesNo = style == MESSAGESTYLE_YESNO || style == MESSAGESTYLE_YESNOCANCEL;
    if (pressed == 0)
        return yesNo ? MESSAGERESULT_YES : MESSAGERESULT_OK;
    if (pressed == 1)
        return yesNo ? MESSAGERESULT_NO : MESSAGERESULT_CANCEL;
    return MESSAGERESULT_CANCEL;
}

bool IsSchemeChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '-' || c == '.';
}

// The characters a URI may hold literally (RFC 3986), '%' included for escapes.
bool IsUriChar(char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    for (const char* p = "-._~:/?#[]@!$&'()*+,;=%"; *p; ++p) {
        if (*p == c)
            return true;
    }
    return false;
}

// A web address as the browser gets it: a scheme is added when none is
// given, line breaks are dropped, and anything that is not a well-formed
// http or https address is refused, so data can start no other handler of
// the desktop.
bool MakeBrowserAddress(const std::string& url, std::string& address) {
    address.clear();
    for (char c : url) {
        if (c != '\n' && c != '\r')
            address += c;
    }
    if (url.find("://") == std::string::npos)
        address.insert(0, "http://");
    for (char c : address) {
        if (!IsUriChar(c))
            return false;
    }
    const size_t colon = address.find(':');
    if (colon == 0 || colon == std::string::npos)
        return false;
    std::string scheme;
    for (size_t i = 0; i < colon; ++i) {
        if (!IsSchemeChar(address[i]))
            return false;
        scheme += static_cast<char>(address[i] >= 'A' && address[i] <= 'Z' ? address[i] - 'A' + 'a'
                                                                          : address[i]);
    }
    if (scheme != "http" && scheme != "https")
        return false;
    return address.compare(colon, 3, "://") == 0 && address.size() > colon + 3;
}

bool HasModifier(unsigned state, unsigned either) { return (state & either) != 0; }

}  // namespace

unsigned int Platform::GetMilliseconds() { return platform::MonotonicClock::Milliseconds(); }

std::time_t Platform::GetTime() { return platform::Calendar::Now(); }

void Platform::Sleep(unsigned long ms) { platform::MonotonicClock::Sleep(ms); }

bool Platform::DispatchOneSystemEvent() { return platform::EventPump::DispatchOne(); }

void Platform::PostQuitMessage(long) { platform::EventPump::PostQuit(); }

int Platform::MessageBox(const std::string& text, const std::string& caption, eMessageStyle style, void*) {
    const int pressed = platform::MessageDialog::Show(caption, text, ButtonsOf(style));
    return ResultOf(style, pressed);
}

void Platform::OpenInBrowser(const std::string& url) {
    std::string address;
    if (!MakeBrowserAddress(url, address))
        return;
    platform::BrowserLauncher::Open(address);
}

void Platform::SetTextOnClipboard(const std::string& text) { platform::Clipboard::SetText(text); }

std::string Platform::GetTextFromClipboard() { return platform::Clipboard::GetText(); }

eSysKey Platform::GetZQKey(unsigned int systemKey) {
    return static_cast<eSysKey>(platform::Keyboard::EngineKeyFromScancode(systemKey));
}

unsigned int Platform::GetSystemKeyId(eSysKey key) { return platform::Keyboard::ScancodeFromEngineKey(key); }

bool Platform::IsKeyDown(eSysKey key) {
    using K = platform::Keyboard;
    const unsigned state = K::ModifierState();
    switch (key) {
        case SYSKEY_SHIFT: return HasModifier(state, K::MOD_LEFT_SHIFT | K::MOD_RIGHT_SHIFT);
        case SYSKEY_LSHIFT: return HasModifier(state, K::MOD_LEFT_SHIFT);
        case SYSKEY_RSHIFT: return HasModifier(state, K::MOD_RIGHT_SHIFT);
        case SYSKEY_CONTROL: return HasModifier(state, K::MOD_LEFT_CONTROL | K::MOD_RIGHT_CONTROL);
        case SYSKEY_LCONTROL: return HasModifier(state, K::MOD_LEFT_CONTROL);
        case SYSKEY_RCONTROL: return HasModifier(state, K::MOD_RIGHT_CONTROL);
        case SYSKEY_ALT: return HasModifier(state, K::MOD_LEFT_ALT | K::MOD_RIGHT_ALT);
        case SYSKEY_LALT: return HasModifier(state, K::MOD_LEFT_ALT);
        case SYSKEY_RALT: return HasModifier(state, K::MOD_RIGHT_ALT);
        default: return false;
    }
}

void Platform::OutputDebugString(const std::string& message, const std::string& prefix) {
    if (!prefix.empty())
        std::fprintf(stderr, "%s\n\t%s", prefix.c_str(), message.c_str());
    else
        std::fwrite(message.data(), 1, message.size(), stderr);
    if (OutputDebugStringCallback callback = g_OutputDebugStringCallback.load())
        callback(message);
    if (OutputDebugStringCallback log = g_OutputDebugStringLog.load())
        log(message);
}

void Platform::OutputDebugStringFormat(const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (length < 0)
        return;
    OutputDebugString(text);
}

void Platform::SetOutputDebugStringCallback(OutputDebugStringCallback callback) {
    g_OutputDebugStringCallback = callback;
}

void Platform::SetOutputDebugStringLog(OutputDebugStringCallback log) { g_OutputDebugStringLog = log; }

int Platform::GetDisplayWidth() { return platform::Display::Width(); }

int Platform::GetDisplayHeight() { return platform::Display::Height(); }

int Platform::GetBitDepth() { return platform::Display::BitsPerPixel(); }

UTF8String Platform::GetGameVersion() { return platform::SystemIdentity::ApplicationVersion(); }

UTF8String Platform::GetComputerName() { return platform::SystemIdentity::ComputerName(); }

const std::string& Platform::GetPlatformIdentifier() {
    static const std::string identifier = "LINUX";
    return identifier;
}

void Platform::GetDate(int& year, int& month, int& day) {
    platform::Calendar::UtcDate(platform::Calendar::Now(), year, month, day);
}

int Platform::GetDayOfYear() { return platform::Calendar::UtcDayOfYear(platform::Calendar::Now()); }

std::string Platform::GetDateAndTime() { return platform::Calendar::LocalStamp(platform::Calendar::Now()); }

}  // namespace ZQ2
