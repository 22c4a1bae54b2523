#pragma once
// The program's spine: finds the data folder, runs the manifest's commands to
// build every service, runs the main loop until the running flag drops, saves
// and releases the services in a fixed order.
#include <string>

#include "engine/core/BaseObject.h"
#include "engine/core/iInstance.h"
#include "engine/framework/MouseCursorCounter.h"

namespace ZQ2 {

class AbstractProperty;
class GameSettings;
class PropertyNode;

class Application : public BaseObject, public iInstance<Application> {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // While false the main loop ends and command parsing stops.
    static bool& g_ApplicationRunning;

    explicit Application(const std::string& manifestName);
    ~Application() override;
    const RTTI& GetRTTI() const override { return rtti; }

    virtual void Run();
    virtual void DetermineWorkingDirectory();
    virtual void ParseCommands();
    virtual void ParseCommand(AbstractProperty* command);
    virtual void InitializeBeforeMainLoop() {}
    virtual void RunMainLoop();
    virtual void CreateScenes() {}
    virtual GameSettings* CreateGameSpecificSettings() { return nullptr; }
    virtual void AddTasks();
    virtual void AddCheats() {}
    virtual void SaveData();
    virtual void RemoveInstances();
    // False for entries marked "onlyeditor".
    virtual bool CheckAllowedBoolean(PropertyNode* node);

    bool IsInstanceRunningOnSystem() const { return false; }
    static void QuitApp_Callback(BaseObject* target, BaseObject* sender);

    // True when the run ended because start-up failed (no manifest, no game
    // name, no graphics): the process must then exit with an error status.
    bool HasStartupFailed() const { return m_bStartupFailed; }
    const std::string& GetWorkingDirectory() const { return m_strWorkingDirectory; }
    const std::string& GetManifestName() const { return m_strName; }
    void* GetParentHandle() const { return m_pParentHandle; }
    bool IsFullscreen() const { return m_bFullscreen; }

    // The folders searched for the manifest, all resolved against the
    // executable's folder: its "data", then "../data", then "../../data".
    static void GetPotentialWorkingDirectories(std::string out[3]);

protected:
    // Stops start-up: the remaining commands are skipped and the exit status
    // reports the failure.
    void FailStartup();

private:
    void CreateGameWindow(PropertyNode* node);
    void CreateRenderer(PropertyNode* node);
    void CreateLog(PropertyNode* node);
    void CreateResourceManager(PropertyNode* node);
    void AttachCheatManager();
    void StartLoadingSectionFromVector(PropertyNode* node, const std::string& key);
    void RemoveOwnInstances();
    void HandleQuitRequest();

    std::string m_strName;
    MouseCursorCounter m_StartCursor;
    std::string m_strWorkingDirectory;
    void* m_pParentHandle = nullptr;
    bool m_bFullscreen = true;
    bool m_bStartupFailed = false;
};

}  // namespace ZQ2
