// Entry point of Delvor: starts the platform layer and hands control to the
// game's entry function, which returns when the game has shut down.
#include "engine/app/Application.h"
#include "platform/SdlSystem.h"

namespace {

const char* const kManifestName = "properties/application.xml";

// The game's application class is not built yet: the engine's application
// runs the manifest in its place. Returns the process exit status.
int ZQMain() {
    auto* application = new ZQ2::Application(kManifestName);
    ZQ2::Application::g_Instance = application;
    application->AddRef();
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
