#include "platform/QuitSignal.h"

#include <csignal>

namespace platform {
namespace {

volatile std::sig_atomic_t g_nPending = 0;

extern "C" void OnQuitSignal(int) { g_nPending = 1; }

}  // namespace

void QuitSignal::Install() {
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool QuitSignal::TakePending() {
    if (!g_nPending)
        return false;
    g_nPending = 0;
    return true;
}

void QuitSignal::Raise() { g_nPending = 1; }

}  // namespace platform
