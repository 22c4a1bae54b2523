#pragma once
// Owns the game's settings record: fills it from the user's preferences at
// start-up, writes it back when the window changes mode and at the end, and
// keeps a "shutdowncorrect" flag so that a run that did not end in order
// makes the next one start in a window.
#include <string>

#include "engine/core/BaseObject.h"
#include "engine/core/iInstance.h"
#include "engine/framework/iMessageListener.h"

namespace ZQ2 {

class GameSettings;
class PropertyNode;

extern const char* const PROP_SHUTDOWN_CORRECT;

class SettingsManager : public BaseObject, public iMessageListener, public iInstance<SettingsManager> {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // Takes ownership of settings (a plain record when null).
    explicit SettingsManager(GameSettings* settings);
    ~SettingsManager() override;
    SettingsManager(const SettingsManager&) = delete;
    SettingsManager& operator=(const SettingsManager&) = delete;
    const RTTI& GetRTTI() const override { return rtti; }
    void* QueryInterface(const RTTI& which) override;

    static void CreateInstance(GameSettings* settings);

    void SetRegistryRoot(const std::string& root);
    const std::string& GetRegistryRoot() const { return m_sRegistryRoot; }
    void LoadFromRegistry();
    void SaveToRegistry();
    // Every top-level key of the preferences as an attribute value of node.
    void ReadRegistryIntoNode(PropertyNode* node);

    void ProcessMessage(const Message& message) override;

    GameSettings* GetSettings() const { return m_pSettings; }
    bool IsShutdownCorrect() const { return m_bShutdownCorrect; }

private:
    GameSettings* m_pSettings = nullptr;
    std::string m_sRegistryRoot;
    bool m_bShutdownCorrect = true;
};

}  // namespace ZQ2
