// Entry point of Delvor: starts the platform layer and hands control to the
// game's entry function, which returns when the game has shut down.
#include "platform/SdlSystem.h"
#include "source/main/DelvorMain.h"

namespace {

// Runs the game once. Returns the process exit status: non-zero only when
// start-up failed.
int ZQMain() {
    DelvorMain::CreateInstance();
    ZQ2::Application* application = ZQ2::Application::g_Instance;
    application->Run();
    const bool failed = application->HasStartupFailed();
    ZQ2::Application::g_Instance = nullptr;
    application->Release();
    return failed ? 1 : 0;
}

}  // namespace

int main() {
    if (!platform::SdlSystem::Init())
        return 1;
    const int status = ZQMain();
    platform::SdlSystem::Quit();
    return status;
}
