#include "engine/app/Application.h"

#include <SDL.h>

#include <climits>
#include <cstdlib>

#include "engine/app/CheatManager.h"
#include "engine/core/Platform.h"
#include "engine/core/Random.h"
#include "engine/core/SmartPtr.h"
#include "engine/framework/GameWindow.h"
#include "engine/framework/Message.h"
#include "engine/framework/SettingsManager.h"
#include "engine/framework/TaskManager.h"
#include "engine/framework/TaskmanagerTimed.h"
#include "engine/graphics/ImageManager.h"
#include "engine/graphics/Renderer.h"
#include "engine/io/BasicProperties.h"
#include "engine/io/DataManager.h"
#include "engine/io/FileArchive.h"
#include "engine/io/FileUtils.h"
#include "engine/io/GameSettings.h"
#include "engine/io/HighScoreManager.h"
#include "engine/io/Log.h"
#include "engine/io/PlayerManager.h"
#include "engine/io/PropertyStore.h"
#include "engine/io/PropertyValue.h"
#include "engine/io/PropertyVector.h"
#include "engine/resource/ResourceManager.h"
#include "engine/scene/Scene.h"
#include "engine/scene/SceneManager.h"
#include "engine/script/Lua.h"
#include "engine/sound/SoundManager.h"
#include "engine/sprite/AnimTree.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/InputHandler.h"
#include "engine/sprite/TaskPurge.h"
#include "engine/sprite/TaskRender.h"
#include "engine/sprite/TaskTickUpdate.h"
#include "engine/sprite/Tooltip.h"
#include "platform/EventPump.h"
#include "platform/QuitSignal.h"
#include "platform/SystemPaths.h"

namespace ZQ2 {

const RTTI* const Application::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI Application::rtti("Application", Application::rttis);

bool& Application::g_ApplicationRunning = GameWindow::g_bRunning;

namespace {

const std::string kPriorityStrings[] = {"info", "warning", "error", "critical"};
const std::string kOutputStrings[] = {"screen", "file", "all"};
const std::string kArchiveStrings[] = {"", "file", "zip", "encryptfile", "encryptzip"};

// Commands that exist in manifests but have nothing to do on this platform.
const char* const kEmptyCommands[] = {"checkinstance", "datagather",      "debugmenu",
                                      "componentmover", "betafilearchive", "classproperties"};

bool IsEmptyCommand(const std::string& name) {
    for (const char* empty : kEmptyCommands) {
        if (name == empty)
            return true;
    }
    return false;
}

int IntOr(PropertyNode* node, const char* key, int fallback) {
    return node->HasProperty(key) ? node->GetValue(key)->ToInt() : fallback;
}

// A cheat runs on the current main scene. One bound to a scene runs only
// while that scene is current; one bound to another dialog only while the
// scene shows it, and then on that dialog.
bool ResolveCheatTarget(Dialog* required, Dialog*& target) {
    Scene* scene = SceneManager::g_Instance ? SceneManager::g_Instance->GetCurrentMainScene() : nullptr;
    target = scene;
    if (!required)
        return true;
    if (DynamicCast<Scene>(required))
        return required == target;
    if (!scene || !scene->IsActiveDialog(required))
        return false;
    target = required;
    return true;
}

// The current scene may take the window's close request itself.
bool AskSceneToClose() {
    Scene* scene = SceneManager::g_Instance ? SceneManager::g_Instance->GetCurrentMainScene() : nullptr;
    return scene && scene->HandleCloseMessage();
}

}  // namespace

Application::Application(const std::string& manifestName) : m_strName(manifestName), m_StartCursor(CURSOR_BUSY_STARTUP) {
    std::srand(Platform::GetMilliseconds());
    m_StartCursor.SetUsed(true);
}

Application::~Application() {
    Application::SaveData();
    RemoveOwnInstances();
}

void Application::Run() {
    platform::QuitSignal::Install();
    // Until a window takes over the events, a quit request ends the run here.
    platform::EventPump::SetHandler([this](const SDL_Event& event) {
        if (event.type == SDL_QUIT)
            HandleQuitRequest();
    });
    DetermineWorkingDirectory();
    ParseCommands();
    if (g_ApplicationRunning) {
        InitializeBeforeMainLoop();
        RunMainLoop();
        SaveData();
    }
    RemoveInstances();
    platform::EventPump::SetHandler(nullptr);
}

void Application::GetPotentialWorkingDirectories(std::string out[3]) {
    const std::string base = platform::SystemPaths::ExecutableDir();
    out[0] = GetDataPath();
    out[1] = base + "/../data";
    out[2] = base + "/../../data";
    for (int i = 0; i < 3; ++i) {
        char resolved[PATH_MAX];
        if (realpath(out[i].c_str(), resolved))
            out[i] = resolved;
    }
}

void Application::DetermineWorkingDirectory() {
    std::string candidates[3];
    GetPotentialWorkingDirectories(candidates);
    for (const std::string& candidate : candidates) {
        // Tested in place: the process changes into the winner only.
        PropertyStore probe;
        probe.SetArchiveType(ARCHIVE_FILE);
        if (!probe.IsValidXMLFile(candidate + "/" + m_strName))
            continue;
        m_strWorkingDirectory = candidate;
        SetWorkPath(candidate);
        Platform::OutputDebugString("Selected working directory: " + PathWithTilde(candidate) + "\n");
        return;
    }
    Platform::OutputDebugStringFormat("Error: Couldn't find application manifest file %s\n",
                                      PathWithTilde(m_strName).c_str());
    FailStartup();
}

void Application::ParseCommands() {
    if (!g_ApplicationRunning)
        return;
    SmartPtr<PropertyStore> manifest(new PropertyStore(m_strName));
    manifest->SetArchiveType(ARCHIVE_FILE);
    manifest->Load();
    SmartPtr<PropertyVector> commands(manifest->GetVector("commands"));
    for (const auto& command : *commands) {
        if (!command || !CheckAllowedBoolean(command->ToNode()))
            continue;
        ParseCommand(command);
        if (!g_ApplicationRunning)
            return;
    }
}

// One manifest command; an unknown name does nothing.
void Application::ParseCommand(AbstractProperty* command) {
    PropertyNode* node = command->ToNode();
    const std::string name = node->GetPropString("name");
    if (IsEmptyCommand(name))
        return;
    if (name == "appstartcursor") {
        m_StartCursor.SetUsed(false);
    } else if (name == "basicproperties") {
        BasicProperties::CreateInstance();
    } else if (name == "gametree") {
        GameTree::CreateInstance();
    } else if (name == "inputhandler") {
        InputHandler::CreateInstance(GameTree::g_Instance);
    } else if (name == "scenemanager") {
        SceneManager::CreateInstance();
    } else if (name == "animtree") {
        AnimTree::CreateInstance();
    } else if (name == "imagemanager") {
        ImageManager::CreateInstance();
    } else if (name == "random") {
        Random::CreateInstance();
    } else if (name == "settingsmanager") {
        SettingsManager::CreateInstance(CreateGameSpecificSettings());
    } else if (name == "highscoremanager") {
        HighScoreManager::CreateInstance(true, node->GetPropString("version"));
        HighScoreManager::g_Instance->LoadFromDisk();
    } else if (name == "playermanager") {
        PlayerManager::CreateInstance(true, node->GetPropString("version"));
        PlayerManager::g_Instance->LoadFromDisk();
    } else if (name == "cheatmanager") {
        CheatManager::CreateInstance();
        if (node->HasProperty("playsound"))
            CheatManager::g_Instance->SetPlaySound(node->GetValue("playsound")->ToBoolean());
        AttachCheatManager();
        AddCheats();
    } else if (name == "activatescene") {
        if (SceneManager::g_Instance)
            SceneManager::g_Instance->EnterScene(node->GetPropString("scene"));
    } else if (name == "createscenes") {
        CreateScenes();
    } else if (name == "taskmanager") {
        TaskmanagerTimed::CreateInstance();
        TaskManager::g_Instance->SetMaxFps(IntOr(node, "max_fps", TaskManager::DEFAULT_MAX_FPS));
        AddTasks();
    } else if (name == "log") {
        CreateLog(node);
    } else if (name == "lua") {
        Lua::CreateInstance();
        if (!Lua::g_Instance->Initialize())
            Platform::OutputDebugString("Lua: " + Lua::g_Instance->GetLastError() + "\n");
    } else if (name == "hardwarecheck") {
        if (!Platform::IsHardwareSupported())
            FailStartup();
    } else if (name == "filearchive") {
        const int type = PropertyStore::ParameterToInt(node, "type", kArchiveStrings, 5, ARCHIVE_FILE);
        FileArchive::CreateInstance(node->GetPropString("file"), static_cast<eArchiveType>(type));
    } else if (name == "datamanager") {
        DataManager::CreateInstance();
        for (const auto& file : *node->GetVector("files")) {
            if (file && CheckAllowedBoolean(file->ToNode()))
                DataManager::g_Instance->AddFile(file->ToNode()->GetPropString("file"));
        }
        DataManager::g_Instance->Reload();
    } else if (name == "resourcemanager") {
        CreateResourceManager(node);
    } else if (name == "gamewindow") {
        CreateGameWindow(node);
    } else if (name == "renderer") {
        CreateRenderer(node);
    } else if (name == "soundmanager") {
        SoundManager::CreateInstance(0, 44100, 32);
        if (SettingsManager::g_Instance) {
            const GameSettings* settings = SettingsManager::g_Instance->GetSettings();
            SoundManager::g_Instance->SetOverallStreamVolume(settings->GetMusicVolume());
            SoundManager::g_Instance->SetOverallSampleVolume(settings->GetSoundVolume());
        }
    }
}

void Application::CreateLog(PropertyNode* node) {
    const int priority = PropertyStore::ParameterToInt(node, "priority", kPriorityStrings, 4, LOG_INFO);
    const int output = PropertyStore::ParameterToInt(node, "output", kOutputStrings, 3, 2);
    Log* log = Log::Instance(static_cast<ePriority>(priority),
                             BitFlags_t<eOutputMethod>(static_cast<unsigned>(output + 1)), node->GetPropString("name"));
    log->TakeDebugOutput();
}

void Application::CreateResourceManager(PropertyNode* node) {
    ResourceManager::CreateInstance();
    ResourceManager* resources = ResourceManager::g_Instance;
    for (const auto& file : *node->GetVector("files")) {
        if (file && CheckAllowedBoolean(file->ToNode()))
            resources->AddFile(file->ToNode()->GetPropString("file"));
    }
    resources->ParseResourceFiles();
    resources->SetReady(true);
    StartLoadingSectionFromVector(node, "preloadsections");
    while (!resources->IsComplete())
        Platform::Sleep(10);
    resources->ClearLoadProgress();
    StartLoadingSectionFromVector(node, "loadsections");
}

void Application::StartLoadingSectionFromVector(PropertyNode* node, const std::string& key) {
    if (!node->HasProperty(key) || !ResourceManager::g_Instance)
        return;
    for (const auto& section : *node->GetVector(key)) {
        if (section && CheckAllowedBoolean(section->ToNode()))
            ResourceManager::g_Instance->WaitingFor(section->ToNode()->GetPropString("section"));
    }
}

void Application::CreateGameWindow(PropertyNode* node) {
    const int width = IntOr(node, "width", 0);
    const int height = IntOr(node, "height", 0);
    m_bFullscreen = Platform::IsResolutionSupported(width, height);
    // A window that does not fit inside the display always starts full screen.
    const bool canToggle =
        m_bFullscreen && width < Platform::GetDisplayWidth() && height < Platform::GetDisplayHeight();
    if (canToggle && SettingsManager::g_Instance)
        m_bFullscreen = SettingsManager::g_Instance->GetSettings()->IsFullscreen();
    else if (canToggle && node->HasProperty("fullscreen"))
        m_bFullscreen = node->GetValue("fullscreen")->ToBoolean();
    if (!BasicProperties::HasString(BASIC_GAME_NAME)) {
        FailStartup();
        return;
    }
    GameWindow::CreateInstance(BasicProperties::GetString(BASIC_GAME_NAME), width, height, m_bFullscreen, canToggle,
                               IntOr(node, "icon", 0), m_pParentHandle);
    if (SettingsManager::g_Instance && GameWindow::g_Instance)
        GameWindow::g_Instance->GetMessageHandler().AddMessageListener(SettingsManager::g_Instance);
    // The manifest makes the input handler before the window, which it could not join then.
    if (InputHandler::g_Instance && GameWindow::g_Instance)
        GameWindow::g_Instance->GetMessageHandler().AddMessageListener(InputHandler::g_Instance);
    GameWindow::SetCloseRequestHandler(&AskSceneToClose);
}

void Application::CreateRenderer(PropertyNode* node) {
    Renderer::CreateInstance();
    if (node->HasProperty("vertices"))
        Renderer::g_Instance->SetVertexCapacity(node->GetValue("vertices")->ToInt());
    const int error = Renderer::g_Instance->Initialize(IntOr(node, "width", 0), IntOr(node, "height", 0));
    if (error == 0) {
        if (GameWindow::g_Instance)
            GameWindow::g_Instance->FixWin32FullScreenProblem(m_bFullscreen);
        return;
    }
    Platform::MessageBox(Renderer::GetRenderError(error) + " [" + std::to_string(error) + "].",
                         "Graphics initialization failed", MESSAGESTYLE_OK, nullptr);
    FailStartup();
}

void Application::RunMainLoop() {
    while (g_ApplicationRunning) {
        // A signal ends the game; only the user's close goes to the scene.
        if (platform::QuitSignal::TakePending())
            HandleQuitRequest();
        if (Platform::DispatchOneSystemEvent())
            continue;
        const bool minimized = GameWindow::g_Instance && GameWindow::g_Instance->IsMinimized();
        if (minimized || !TaskManager::g_Instance) {
            Platform::Sleep(40);  // no frame while minimised, or nothing to run one with
            continue;
        }
        TaskManager::g_Instance->Update();
        // Said once, so that whoever watches the output knows frames are running.
        if (TaskManager::g_Instance->GetFrameCount() == 1)
            Platform::OutputDebugStringFormat("Main loop running.\n");
    }
    if (TaskManager::g_Instance)
        Platform::OutputDebugStringFormat("Main loop ended after %lld frames.\n",
                                          static_cast<long long>(TaskManager::g_Instance->GetFrameCount()));
}

// The cheat manager hears keys before the tree does, and finds its targets
// among the scenes.
void Application::AttachCheatManager() {
    CheatManager::SetTargetResolver(&ResolveCheatTarget);
    if (InputHandler::g_Instance)
        InputHandler::g_Instance->AddCustomListener(CheatManager::g_Instance, false);
}

void Application::AddTasks() {
    TaskManager* tasks = TaskManager::g_Instance;
    if (!tasks)
        return;
    if (InputHandler::g_Instance)
        tasks->Attach(InputHandler::g_Instance);
    if (SceneManager::g_Instance)
        tasks->Attach(SceneManager::g_Instance);
    if (ImageManager::g_Instance)
        tasks->Attach(ImageManager::g_Instance);
    if (SoundManager::g_Instance)
        tasks->Attach(SoundManager::g_Instance);
    // The frame tasks come last, with the trees that exist now.
    tasks->Attach(new TaskTickUpdate(GameTree::g_Instance, AnimTree::g_Instance));
    tasks->Attach(new TaskPurge(GameTree::g_Instance, AnimTree::g_Instance));
    tasks->Attach(new TaskRender(GameTree::g_Instance));
}

void Application::SaveData() {
    if (HighScoreManager::g_Instance)
        HighScoreManager::SaveToDisk();
    if (PlayerManager::g_Instance)
        PlayerManager::SaveToDisk();
}

void Application::RemoveInstances() { RemoveOwnInstances(); }

// The services in their fixed release order. The GL context outlives every
// GL object: the window keeps it until the renderer, the last holder of
// textures, is gone. The log lives to the end of the process.
void Application::RemoveOwnInstances() {
    // The input handler holds the cheat manager as a listener; the cheats go now.
    if (CheatManager::g_Instance && InputHandler::g_Instance)
        InputHandler::g_Instance->RemoveCustomListener(CheatManager::g_Instance);
    iInstance<CheatManager>::ReleaseInstance();
    iInstance<InputHandler>::ReleaseInstance();
    iInstance<PlayerManager>::ReleaseInstance();
    iInstance<HighScoreManager>::ReleaseInstance();
    iInstance<SettingsManager>::ReleaseInstance();
    iInstance<SceneManager>::ReleaseInstance();
    iInstance<DataManager>::ReleaseInstance();
    GameWindow::SetCloseRequestHandler(nullptr);
    GameWindow::RemoveInstance();
    ResourceManager::RemoveInstance();
    iInstance<BasicProperties>::ReleaseInstance();
    iInstance<FileArchive>::ReleaseInstance();
    iInstance<AnimTree>::ReleaseInstance();
    iInstance<GameTree>::ReleaseInstance();
    iInstance<Random>::ReleaseInstance();
    iInstance<SoundManager>::ReleaseInstance();
    ImageManager::ReleaseInstance();
    iInstance<TaskManager>::ReleaseInstance();
    Tooltip::RemoveInstance();
    Renderer::RemoveInstance();
    // Last: nodes reach their Lua tables until the trees are gone.
    iInstance<Lua>::ReleaseInstance();
}

bool Application::CheckAllowedBoolean(PropertyNode* node) {
    if (!node || !node->HasProperty("onlyeditor"))
        return true;
    return !node->GetValue("onlyeditor")->ToBoolean();
}

// With a window the quit goes through its message handler, so every listener
// hears 1026; the window's own listener then clears the running flag.
void Application::QuitApp_Callback(BaseObject*, BaseObject*) {
    GameWindow* window = GameWindow::g_Instance;
    if (!window) {
        g_ApplicationRunning = false;
        return;
    }
    SmartPtr<Message> quit(new Message(MESSAGE_QUIT));
    window->GetMessageHandler().ProcessMessage(*quit);
}

void Application::HandleQuitRequest() { QuitApp_Callback(this, nullptr); }

void Application::FailStartup() {
    m_bStartupFailed = true;
    g_ApplicationRunning = false;
}

}  // namespace ZQ2
