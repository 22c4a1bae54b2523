#include "source/utils/GameTestHooks.h"

#include <GL/gl.h>
#include <png.h>

#include <cstdlib>
#include <vector>

#include "aulos/ausnd.h"
#include "engine/core/Platform.h"
#include "engine/core/iGuiMethod.h"
#include "engine/framework/GameWindow.h"
#include "engine/framework/TaskManager.h"
#include "engine/graphics/Graphics.h"
#include "engine/graphics/Renderer.h"
#include "engine/scene/SceneManager.h"
#include "engine/scene/SceneTransition.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/TaskRender.h"
#include "source/splash/SceneLoad.h"

using namespace ZQ2;

const RTTI* const GameTestHooks::rttis[] = {&iTask::rtti, nullptr};
const RTTI GameTestHooks::rtti("GameTestHooks", GameTestHooks::rttis);

namespace {

const char* const kOutputVariable = "DELVOR_TEST_OUTPUT";
const char* const kQuitQuestion = "CTEXT_QUESTION_QUIT";
const char* const kYesButton = "BUTTON_YES";

bool g_bAttached = false;

}  // namespace

GameTestHooks::GameTestHooks(const std::string& folder) : m_sFolder(folder) {}

void GameTestHooks::AttachIfAsked() {
    const char* folder = std::getenv(kOutputVariable);
    if (g_bAttached || !folder || !*folder || !TaskManager::g_Instance)
        return;
    g_bAttached = true;
    TaskManager::g_Instance->Attach(new GameTestHooks(folder));
}

void GameTestHooks::OnUpdate(int deltaMs) {
    m_iGameTime += deltaMs;
    SceneManager* scenes = SceneManager::g_Instance;
    Scene* scene = scenes ? scenes->GetCurrentScene() : nullptr;
    // A transition shows two scenes at once: nothing settles under it.
    if (!scene || DynamicCast<SceneTransition>(scene))
        return;
    WatchScene(scene, deltaMs);
    AnswerQuitQuestion(scene, deltaMs);
}

void GameTestHooks::WatchScene(Scene* scene, int deltaMs) {
    if (scene->GetName() != m_sScene) {
        m_sScene = scene->GetName();
        m_iSceneTime = 0;
        Platform::OutputDebugStringFormat("Test hooks: scene %s entered at %lld ms\n", m_sScene.c_str(), m_iGameTime);
        return;
    }
    m_iSceneTime += deltaMs;
    if (m_Recorded.count(m_sScene) == 0 && IsSettled(scene))
        Record(m_sScene);
}

// The loading scene's bar moves with the loader: it is pictured full, once
// loading is over.
bool GameTestHooks::IsSettled(Scene* scene) const {
    if (m_iSceneTime < SETTLE_TIME_MS)
        return false;
    auto* load = DynamicCast<SceneLoad>(scene);
    return !load || load->IsDone();
}

void GameTestHooks::Record(const std::string& name) {
    m_Recorded.insert(name);
    const std::string picture = m_sFolder + "/" + name + ".png";
    const std::string sound = m_sFolder + "/capture.wav";
    const bool shot = SaveScreenshot(picture);
    const bool captured = AUSND_Capture_WriteWAV(sound.c_str());
    Platform::OutputDebugStringFormat("Test hooks: scene %s settled at %lld ms; picture %s; sound %s\n", name.c_str(),
                                      m_iGameTime, shot ? "saved" : "failed", captured ? "saved" : "failed");
}

// Draws the game tree again into the back buffer and reads it, so that the
// picture does not depend on what a buffer swap leaves behind.
bool GameTestHooks::SaveScreenshot(const std::string& file) const {
    Renderer* renderer = Renderer::g_Instance;
    Graphics* graphics = renderer ? renderer->GetBackBufferGraphics() : nullptr;
    if (!graphics || !GameWindow::g_Instance || !GameTree::g_Instance)
        return false;
    const int width = GameWindow::g_Instance->GetWidth();
    const int height = GameWindow::g_Instance->GetHeight();
    if (width <= 0 || height <= 0)
        return false;
    graphics->BeginBatch();
    TaskRender::Render(GameTree::g_Instance, graphics);
    graphics->EndBatch();

    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels.data());
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_BGRA;
    // The frame buffer's rows run bottom-up: a negative stride writes them top-down.
    const png_int_32 stride = -static_cast<png_int_32>(width);
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
