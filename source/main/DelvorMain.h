#pragma once
// The game's application, and the campaign position every part of the game
// reads: country and day now and before, the scene last started, the
// long-lived scenes, and the naming rules of levels and countries.
#include <string>

#include "engine/app/Application.h"
#include "engine/core/RTTI.h"

namespace ZQ2 {
class AbstractProperty;
class BaseObject;
class GameSettings;
class PropertyNode;
class Scene;
}  // namespace ZQ2

class DelvorMain : public ZQ2::Application {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;

    static constexpr int COUNTRY_COUNT = 7;
    static constexpr int MAX_DAYS = 10;
    static constexpr int NAME_SIZE = 50;

    static int m_nCurCountry;
    static int m_nCurDay;
    static int m_nPrevCountry;
    static int m_nPrevDay;
    static bool m_bReplayStage;
    static std::string m_strCurScene;
    static ZQ2::Scene* m_SceneLoad;
    static ZQ2::Scene* m_SceneSelection;
    static ZQ2::Scene* m_SceneMap;
    static ZQ2::Scene* m_SceneGame;

    DelvorMain();
    ~DelvorMain() override;
    DelvorMain(const DelvorMain&) = delete;
    DelvorMain& operator=(const DelvorMain&) = delete;

    static void CreateInstance();
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    void ParseCommand(ZQ2::AbstractProperty* command) override;
    void InitializeBeforeMainLoop() override {}
    void CreateScenes() override;
    // The game's own settings record, which the settings manager then owns.
    ZQ2::GameSettings* CreateGameSpecificSettings() override;
    void AddCheats() override;
    void RemoveInstances() override;
    bool CheckAllowedBoolean(ZQ2::PropertyNode* node) override;

    static bool IsUpgradeShopLevel();
    // Moves the play position on from a finished day: to the next day when it
    // was won, to day 1 of the next country after a country's last day, but
    // never past the last day of the last country; a lost day stays, to be
    // played again.
    static void MoveOnAfterDay(int country, int day, bool won);
    static bool ShouldReplayStage() { return m_bReplayStage; }
    static void SetReplayStage(bool replay) { m_bReplayStage = replay; }
    // -1 means the current country.
    static int GetMaxDayForCountry(int country);
    static bool GetCountryName(std::string& out, int country, int day);
    static bool GetCurCountryName(std::string& out);
    static bool GetPrevCountryName(std::string& out);
    static bool GetCountryAndDayFromName(std::string name, int& country, int& day);
    // Countries outside 1 to 7 give an empty name.
    static void GetCountryResourceName(int country, std::string& out);
    static void GetCountryResourceLowercaseName(int country, std::string& out);
    static void GetCountrySpecificSection(int country, std::string& out);
    static void StartScene(std::string name);
    static void GetCurScene(std::string& out) { out = m_strCurScene; }

    // Opens the quit question on the current main scene, once; usable as a
    // bound button action (both arguments are ignored).
    static void ShowQuitMessage(ZQ2::BaseObject* target, ZQ2::BaseObject* sender);

    // Asks the resource loader for the section and waits until it reports
    // complete, keeping the window's events flowing. Gives up (and says so)
    // on an unknown section, a stopped loader, a quit, or a loader that
    // makes no progress for WAIT_STALL_MS. True when loading completed.
    static bool WaitForSection(const std::string& section);
    static constexpr unsigned WAIT_STALL_MS = 20000;

    static const char* const CHEAT_WORD;
    static const char* const QUIT_MESSAGE_KEY;
    static const char* const QUIT_HEADER_KEY;
};
