#pragma once
// The whole game run inside the test: the real application on the game's own
// data, SDL's offscreen video and the capture sound output, the player's
// folders in the test's temporary data home, a seeded random source, frames
// of a fixed 16 ms on a clock of the test's own, mouse and key messages at
// game coordinates, and the names of the sounds the game looks up to play.
// Every step is reproducible from the seed.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/app/Application.h"
#include "engine/core/Random.h"
#include "engine/framework/KeyboardMessageData.h"
#include "engine/framework/Message.h"
#include "engine/framework/MouseMessageData.h"
#include "engine/framework/TaskClock.h"
#include "engine/framework/TaskManager.h"
#include "engine/io/FileUtils.h"
#include "engine/resource/ResourceManager.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "engine/sound/Sound.h"
#include "engine/sound/SoundStream.h"
#include "engine/sprite/InputHandler.h"
#include "engine/sprite/ResourceLookup.h"
#include "engine/sprite/TaskRender.h"
#include "platform/SdlSystem.h"
#include "source/main/DelvorMain.h"

namespace gametest {

// The game's clock in the harness: it moves only when a frame is stepped.
class SteppedClock : public ZQ2::TaskClock {
public:
    unsigned int GetMilliseconds() override { return m_iNow; }
    void Sleep(unsigned long) override {}
    void Advance(unsigned int ms) { m_iNow += ms; }

private:
    unsigned int m_iNow = 1000;
};

// The real application, but started in the folder the harness names: the
// executable of the tests has no data folder beside it.
class HarnessMain : public DelvorMain {
public:
    explicit HarnessMain(std::string folder) : m_sFolder(std::move(folder)) {}
    void DetermineWorkingDirectory() override {
        if (!ZQ2::SetWorkPath(m_sFolder))
            g_ApplicationRunning = false;
    }

private:
    std::string m_sFolder;
};

class AppHarness {
public:
    static constexpr int FRAME_MS = 16;

    explicit AppHarness(unsigned seed = 1234, const std::string& dataFolder = DELVOR_GAME_DATA_DIR)
        : m_sOldFolder(std::filesystem::current_path()) {
        s_pSounds = &m_Sounds;
        m_bSdl = platform::SdlSystem::Init();
        if (!m_bSdl)
            return;
        ZQ2::Application::g_ApplicationRunning = true;
        m_pApp = new HarnessMain(dataFolder);
        m_pApp->AddRef();
        ZQ2::Application::g_Instance = m_pApp;
        m_pApp->DetermineWorkingDirectory();
        m_pApp->ParseCommands();
        if (!ZQ2::Application::g_ApplicationRunning || !ZQ2::TaskManager::g_Instance)
            return;
        m_pApp->InitializeBeforeMainLoop();
        ZQ2::TaskManager::g_Instance->SetClock(&m_Clock);
        ZQ2::Random::Instance()->SetSeed(seed);
        ZQ2::ResourceLookup::SetResourceSource(&RecordSound);
        m_bStarted = true;
    }
    ~AppHarness() {
        ZQ2::ResourceLookup::SetResourceSource(nullptr);
        if (m_pApp) {
            if (ZQ2::TaskManager::g_Instance)
                ZQ2::TaskManager::g_Instance->SetClock(nullptr);
            m_pApp->RemoveInstances();
            ZQ2::Application::g_Instance = nullptr;
            m_pApp->Release();
        }
        ZQ2::Application::g_ApplicationRunning = true;
        DelvorMain::m_nCurCountry = 1;
        DelvorMain::m_nCurDay = 1;
        if (m_bSdl)
            platform::SdlSystem::Quit();
        std::filesystem::current_path(m_sOldFolder);
        s_pSounds = nullptr;
    }
    AppHarness(const AppHarness&) = delete;
    AppHarness& operator=(const AppHarness&) = delete;

    bool Started() const { return m_bStarted; }

    // Frames of 16 ms each, with the window's events in between as the main
    // loop takes them.
    void Step(int frames) {
        for (int i = 0; i < frames && ZQ2::Application::g_ApplicationRunning; ++i) {
            while (ZQ2::Platform::DispatchOneSystemEvent()) {
            }
            m_Clock.Advance(FRAME_MS);
            ZQ2::TaskManager::g_Instance->Update();
        }
    }
    // Drawing off for the frames a test does not look at: software GL
    // drawing takes most of a long run's time.
    void SetDrawing(bool on) {
        if (ZQ2::iTask* render = ZQ2::TaskManager::g_Instance->FindTask(ZQ2::TaskRender::rtti))
            render->SetActive(on);
    }
    // Frames until done answers true; the number of frames, or -1 when the
    // budget ran out first.
    int StepUntil(const std::function<bool()>& done, int maxFrames) {
        for (int i = 1; i <= maxFrames; ++i) {
            Step(1);
            if (done())
                return i;
        }
        return -1;
    }
    // The resource loader runs on its own thread: frames are stepped while
    // it works, and the budget of frames is the only limit.
    bool StepUntilLoaded(int maxFrames) {
        return StepUntil([] { return ZQ2::ResourceManager::g_Instance->IsComplete(); }, maxFrames) >= 0;
    }

    ZQ2::Scene* CurrentScene() const {
        return ZQ2::SceneManager::g_Instance ? ZQ2::SceneManager::g_Instance->GetCurrentScene() : nullptr;
    }
    std::string CurrentSceneName() const {
        ZQ2::Scene* scene = CurrentScene();
        return scene ? scene->GetName() : std::string();
    }

    // A press and release of the left button at game coordinates.
    void Click(float x, float y) {
        Post(ZQ2::MESSAGE_MOUSE_LEFT_DOWN, new ZQ2::MouseMessageData(x, y, 0, false));
        Post(ZQ2::MESSAGE_MOUSE_LEFT_UP, new ZQ2::MouseMessageData(x, y, 0, false));
    }
    void Key(unsigned long character, ZQ2::eSysKey key) {
        Post(ZQ2::MESSAGE_KEY_DOWN, new ZQ2::KeyboardMessageData(character, key));
        Post(ZQ2::MESSAGE_KEY_UP, new ZQ2::KeyboardMessageData(character, key));
    }
    void Post(int type, ZQ2::MessageData* data) {
        ZQ2::InputHandler::g_Instance->ProcessMessage(ZQ2::Message(type, data));
    }

    // "section/name" of every sound and music looked up, in order.
    const std::vector<std::string>& Sounds() const { return m_Sounds; }

private:
    static ZQ2::BaseObject* RecordSound(const std::string& name, const std::string& section) {
        ZQ2::BaseObject* found =
            ZQ2::ResourceManager::g_Instance ? ZQ2::ResourceManager::g_Instance->GetResource(name, section) : nullptr;
        if (s_pSounds && (ZQ2::DynamicCast<ZQ2::Sound>(found) || ZQ2::DynamicCast<ZQ2::SoundStream>(found)))
            s_pSounds->push_back(section + "/" + name);
        return found;
    }

    static inline std::vector<std::string>* s_pSounds = nullptr;

    std::filesystem::path m_sOldFolder;
    SteppedClock m_Clock;
    HarnessMain* m_pApp = nullptr;
    bool m_bSdl = false;
    bool m_bStarted = false;
    std::vector<std::string> m_Sounds;
};

}  // namespace gametest
