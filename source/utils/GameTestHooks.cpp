#include "source/utils/GameTestHooks.h"

#include <GL/gl.h>
#include <png.h>

#include <cstdlib>
#include <vector>

#include "aulos/ausnd.h"
#include "engine/core/Platform.h"
#include "engine/core/Random.h"
#include "engine/core/iGuiMethod.h"
#include "engine/framework/GameWindow.h"
#include "engine/framework/TaskClock.h"
#include "engine/framework/TaskManager.h"
#include "engine/graphics/Graphics.h"
#include "engine/graphics/Renderer.h"
#include "engine/scene/SceneManager.h"
#include "engine/scene/SceneTransition.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/TaskRender.h"
#include "source/splash/SceneLoad.h"
#include "source/splash/SceneSplash.h"
#include "source/utils/GameTestDriver.h"

using namespace ZQ2;

const RTTI* const GameTestHooks::rttis[] = {&iTask::rtti, nullptr};
const RTTI GameTestHooks::rtti("GameTestHooks", GameTestHooks::rttis);

namespace {

const char* const kOutputVariable = "DELVOR_TEST_OUTPUT";
const char* const kCloseVariable = "DELVOR_TEST_CLOSE_IN";
const char* const kQuitQuestion = "CTEXT_QUESTION_QUIT";
const char* const kYesButton = "BUTTON_YES";

const char* const kFrameVariable = "DELVOR_TEST_FRAME_MS";
const char* const kSeedVariable = "DELVOR_TEST_SEED";

bool g_bAttached = false;

// Game time that moves a fixed step per frame; a step of 0 (never started)
// leaves it still. It outlives the task manager that reads it.
class FixedStepClock : public TaskClock {
public:
    void Start(unsigned int now, unsigned int stepMs) {
        m_iNow = now;
        m_iStep = stepMs;
    }
    unsigned int GetMilliseconds() override { return m_iNow; }
    void Sleep(unsigned long) override {}
    void Advance() { m_iNow += m_iStep; }

private:
    unsigned int m_iNow = 0;
    unsigned int m_iStep = 0;
};

FixedStepClock& StepClock() {
    static FixedStepClock clock;
    return clock;
}

}  // namespace

GameTestHooks::GameTestHooks(const std::string& folder, const std::string& closeIn)
    : m_sFolder(folder), m_sCloseIn(closeIn) {
    ReadDrivenRun();
}

GameTestHooks::~GameTestHooks() = default;

void GameTestHooks::ReadDrivenRun() {
    const char* frame = std::getenv(kFrameVariable);
    const int frameMs = frame ? std::atoi(frame) : 0;
    if (frameMs > 0 && TaskManager::g_Instance) {
        StepClock().Start(TaskClock::GetPlatformClock().GetMilliseconds(), static_cast<unsigned int>(frameMs));
        TaskManager::g_Instance->SetClock(&StepClock());
    }
    const char* seed = std::getenv(kSeedVariable);
    m_bSeeded = seed && *seed;
    m_iSeed = m_bSeeded ? std::atoll(seed) : 0;
    m_pDriver.reset(GameTestDriver::CreateIfAsked(m_sFolder));
}

void GameTestHooks::AttachIfAsked() {
    const char* folder = std::getenv(kOutputVariable);
    if (g_bAttached || !folder || !*folder || !TaskManager::g_Instance)
        return;
    g_bAttached = true;
    const char* closeIn = std::getenv(kCloseVariable);
    TaskManager::g_Instance->Attach(new GameTestHooks(folder, closeIn ? closeIn : ""));
}

void GameTestHooks::OnUpdate(int deltaMs) {
    m_iGameTime += deltaMs;
    StepClock().Advance();
    SceneManager* scenes = SceneManager::g_Instance;
    Scene* scene = scenes ? scenes->GetCurrentScene() : nullptr;
    // A transition shows two scenes at once: nothing settles under it.
    if (!scene || DynamicCast<SceneTransition>(scene))
        return;
    const bool newScene = WatchScene(scene, deltaMs);
    AnswerQuitQuestion(scene, deltaMs);
    if (m_pDriver && !m_pDriver->OnFrame(scene, newScene))
        m_pDriver.reset();
}

bool GameTestHooks::WatchScene(Scene* scene, int deltaMs) {
    if (scene->GetName() != m_sScene) {
        m_sScene = scene->GetName();
        m_iSceneTime = 0;
        m_iImageTime = -1;
        Platform::OutputDebugStringFormat("Test hooks: scene %s entered at %lld ms\n", m_sScene.c_str(), m_iGameTime);
        if (m_bSeeded)
            Random::Instance()->SetSeed(m_iSeed);
        return true;
    }
    m_iSceneTime += deltaMs;
    auto* splash = DynamicCast<SceneSplash>(scene);
    if (splash && splash->GetSplashIndex() == 1)
        m_iImageTime = m_iImageTime < 0 ? 0 : m_iImageTime + deltaMs;
    if (m_Recorded.count(m_sScene) == 0 && IsSettled(scene))
        Record(m_sScene);
    return false;
}

// Settled means a picture that does not depend on the frame times: the
// splash scene's first image half-way through its stay (the publisher
// animation runs on frame times), the loading scene's bar full once loading
// is over.
bool GameTestHooks::IsSettled(Scene* scene) const {
    if (m_iSceneTime < SETTLE_TIME_MS)
        return false;
    if (auto* splash = DynamicCast<SceneSplash>(scene))
        return m_iImageTime >= splash->GetFadeTime() + splash->GetDisplayTime() / 2;
    auto* load = DynamicCast<SceneLoad>(scene);
    return !load || load->IsDone();
}

void GameTestHooks::Record(const std::string& name) {
    m_Recorded.insert(name);
    const std::string picture = m_sFolder + "/" + name + ".png";
    const std::string sound = m_sFolder + "/" + name + ".wav";
    const bool shot = SaveScreenshot(picture);
    const bool captured = AUSND_Capture_WriteWAV(sound.c_str());
    Platform::OutputDebugStringFormat("Test hooks: scene %s settled at %lld ms; picture %s; sound %s\n", name.c_str(),
                                      m_iGameTime, shot ? "saved" : "failed", captured ? "saved" : "failed");
    if (name != m_sCloseIn)
        return;
    // As the window's close button: the request goes through the event loop.
    Platform::OutputDebugStringFormat("Test hooks: closing the window\n");
    Platform::PostQuitMessage(0);
}

// Draws the game tree again into the back buffer and reads it, so that the
// picture does not depend on what a buffer swap leaves behind.
bool GameTestHooks::SaveScreenshot(const std::string& file) {
    Renderer* renderer = Renderer::g_Instance;
    Graphics* graphics = renderer ? renderer->GetBackBufferGraphics() : nullptr;
    if (!graphics || !GameWindow::g_Instance || !GameTree::g_Instance)
        return false;
    // The game's area of the window: the whole of it, unless full screen
    // scales it into the middle of a larger display.
    const RectangleI area = GameWindow::g_Instance->GetViewport();
    const int width = area.width;
    const int height = area.height;
    if (width <= 0 || height <= 0)
        return false;
    graphics->BeginBatch();
    TaskRender::Render(GameTree::g_Instance, graphics);
    graphics->EndBatch();

    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(area.x, area.y, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels.data());
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_BGRA;
    // The frame buffer's rows run bottom-up: a negative stride writes them top-down.
    const png_int_32 stride = -static_cast<png_int_32>(PNG_IMAGE_ROW_STRIDE(image));
    return png_image_write_to_file(&image, file.c_str(), 0, pixels.data(), stride, nullptr) != 0;
}

void GameTestHooks::AnswerQuitQuestion(Scene* scene, int deltaMs) {
    if (!scene->IsActiveDialog(kQuitQuestion)) {
        m_iQuestionTime = -1;
        return;
    }
    if (m_iQuestionTime < 0) {
        m_iQuestionTime = 0;
        Platform::OutputDebugStringFormat("Test hooks: quit question shown\n");
        return;
    }
    m_iQuestionTime += deltaMs;
    if (m_iQuestionTime < ANSWER_DELAY_MS)
        return;
    Dialog* question = scene->GetDialog(kQuitQuestion);
    GameNode* yes = question ? question->GetComponent(kYesButton) : nullptr;
    auto* method = ZQ2::QueryInterface<iGuiMethod>(yes);
    if (!method)
        return;
    m_iQuestionTime = -1;
    Platform::OutputDebugStringFormat("Test hooks: quit question answered yes\n");
    method->ExecuteMethod(yes);
}
