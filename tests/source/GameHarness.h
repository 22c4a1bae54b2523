#pragma once
// A headless day at the dig site for the game's tests: the game world of
// GameTestSupport with the level's constants, texts and scene node, one
// player profile in the test's save folder, a seeded random source and
// frames of a fixed 16 ms. Every step is reproducible from the seed.
#include <string>
#include <utility>

#include "engine/core/Random.h"
#include "engine/framework/Message.h"
#include "engine/framework/TemplateMessageData.h"
#include "engine/io/HighScoreManager.h"
#include "engine/io/PlayerManager.h"
#include "source/main/DelvorMain.h"
#include "source/main/DelvorPlayer.h"
#include "source/scenes/DVUpgradeHandler.h"
#include "source/scenes/SceneGame.h"
#include "tests/source/GameTestSupport.h"

namespace gametest {

constexpr int FRAME_MS = 16;

// DelvorWorker, DelvorDigger, DelvorPicker: needs that come on a fixed schedule (ranges of 1 and below draw nothing), strokes of
// ten frames.
inline std::string WorkerConstantsXml() {
    std::string xml;
    const std::pair<const char*, int> values[] = {
        {"DIGGER_MALE_WALKSPEED", 400}, {"DIGGER_FEMALE_WALKSPEED", 400}, {"PICKER_WALKSPEED", 400},
        {"DIGGER_MALE_DIG_FRAMESPEED", 160}, {"DIGGER_FEMALE_DIG_FRAMESPEED", 160}, {"PICKER_PICK_FRAMESPEED", 160},
        {"DIGGER_MALE_ACTIVITY_FRAMESPEED", 100}, {"DIGGER_FEMALE_ACTIVITY_FRAMESPEED", 100},
        {"DIGGER_DIZZY_FRAMESPEED", 100}, {"DIGGER_HYPNOTIZED_FRAMESPEED", 100}, {"PICKER_DIZZY_FRAMESPEED", 100},
        {"PICKER_HYPNOTIZED_FRAMESPEED", 100}, {"DIGGER_EATDRINK_FRAMESPEED", 100}, {"DIGGER_EATDRINK_NUMLOOPS", 2},
        {"PICKER_EATDRINK_FRAMESPEED", 100}, {"PICKER_EATDRINK_NUMLOOPS", 2}, {"DIGGER_WALK_PIXELS_PER_FRAME", 20},
        {"PICKER_WALK_PIXELS_PER_FRAME", 20}, {"DIGGER_CELEBRATE_FRAMESPEED", 100},
        {"DIGGER_MALE_HUNGER_BASE", 4000}, {"DIGGER_MALE_HUNGER_RANGE", 1}, {"DIGGER_MALE_THIRST_BASE", 6000},
        {"DIGGER_MALE_THIRST_RANGE", 1}, {"DIGGER_FEMALE_HUNGER_BASE", 4000}, {"DIGGER_FEMALE_HUNGER_RANGE", -5},
        {"DIGGER_FEMALE_THIRST_BASE", 6000}, {"DIGGER_FEMALE_THIRST_RANGE", 0}, {"PICKER_HUNGER_BASE", 4000},
        {"PICKER_HUNGER_RANGE", 0}, {"PICKER_THIRST_BASE", 6000}, {"PICKER_THIRST_RANGE", -3},
        {"DIGGER_MALE_HUNGER_DIZZY", 2000}, {"DIGGER_MALE_THIRST_DIZZY", 2000}, {"DIGGER_FEMALE_HUNGER_DIZZY", 2000},
        {"DIGGER_FEMALE_THIRST_DIZZY", 2000}, {"PICKER_HUNGER_DIZZY", 2000}, {"PICKER_THIRST_DIZZY", 2000},
        {"NUM_PICKER_TYPES", 3}, {"TIME_DIGGER_WORK_BREAK", 500}, {"WORKER_MIN_HUNGER_AFTER_PLACEMENT", 3000},
        {"DIGGER_MIN_FORCE_HUNGER_THRESHOLD", 1000},
        {"SCORE_MATCH_DIGGER_COLOR", 15}, {"SCORE_PENALTY_COOKIE_GIVES_FOOD", -4},
        {"TIME_IDLE_ANIMATION_MIN", 1000}, {"TIME_IDLE_ANIMATION_MAX", 2000}, {"TIME_BLINK_ANIMATION_MIN", 1000},
        {"TIME_BLINK_ANIMATION_MAX", 2000}, {"TIME_PANIC_ANIMATION_MIN", 500}, {"TIME_PANIC_ANIMATION_MAX", 1000},
        {"IDLE_FRAMESPEED", 100},
    };
    for (const auto& value : values)
        xml += "<Integer id=\"" + std::string(value.first) + "\" value=\"" + std::to_string(value.second) + "\"/>";
    return xml;
}

// The tuning a level test reads: the values are chosen so that sums are easy.
inline std::string LevelConstantsXml() {
    return "<Integer id=\"NUM_DIGGER_COLORS\" value=\"3\"/>"
           "<Integer id=\"NUM_DIGGER_TYPES_FEMALE\" value=\"4\"/>"
           "<Integer id=\"TIME_SURVEY\" value=\"8000\"/>"
           "<Integer id=\"MINIGAME_NUM_MISSES\" value=\"5\"/>"
           "<Integer id=\"TIME_MINIGAME_PREVIEW_DELAY\" value=\"2000\"/>"
           "<Integer id=\"MINIGAME_CARDS_OF_EACH_TYPE\" value=\"2\"/>"
           "<Integer id=\"SCORE_PLACE_DIGGER\" value=\"10\"/>"
           "<Integer id=\"SCORE_PENALTY_PLACE_DIGGER\" value=\"-30\"/>"
           "<Integer id=\"SCORE_DOVIDI_GIVES_TOOL\" value=\"50\"/>"
           "<Integer id=\"SCORE_PENALTY_DOVIDI_GIVES_TOOL\" value=\"-500\"/>"
           "<Integer id=\"SCORE_FINISHED_ALL_HOLES\" value=\"1000\"/>"
           "<Integer id=\"SCORE_COOKIE_GIVES_FOOD\" value=\"40\"/>"
           "<Integer id=\"SCORE_DOVIDI_GIVES_TWO_TOOLS\" value=\"7\"/>"
           "<Integer id=\"SCORE_COOKIE_GIVES_TWO_MEALS\" value=\"3\"/>"
           "<Integer id=\"SCORE_ARTIFACT_IN_CRATE_BRONZE_MIN\" value=\"20\"/>"
           "<Integer id=\"SCORE_ARTIFACT_IN_CRATE_BRONZE_MAX\" value=\"22\"/>"
           "<Integer id=\"SCORE_ARTIFACT_IN_CRATE_GOLD_MIN\" value=\"90\"/>"
           "<Integer id=\"SCORE_ARTIFACT_IN_CRATE_GOLD_MAX\" value=\"80\"/>"
           "<Integer id=\"NUM_ARTIFACTS_GREECE\" value=\"30\"/>"
           "<Integer id=\"BOSS_START_STAGE_WALKSPEED\" value=\"250\"/>"
           "<Integer id=\"TROPHY_NUM_ARTIFACTS_1\" value=\"5\"/>"
           "<Integer id=\"TROPHY_NUM_ARTIFACTS_2\" value=\"12\"/>"
           "<Integer id=\"TROPHY_NUM_ARTIFACTS_3\" value=\"20\"/>"
           "<Integer id=\"TIME_IDLE_ANIMATION_MIN\" value=\"3000\"/>"
           "<Integer id=\"TIME_IDLE_ANIMATION_MAX\" value=\"6000\"/>"
           "<Integer id=\"TIME_BLINK_ANIMATION_MIN\" value=\"1000\"/>"
           "<Integer id=\"TIME_BLINK_ANIMATION_MAX\" value=\"2000\"/>"
           "<Integer id=\"IDLE_FRAMESPEED\" value=\"100\"/>"
           "<Integer id=\"WORKER_WAITAREA_X\" value=\"100\"/>"
           "<Integer id=\"WORKER_WAITAREA_WIDTH\" value=\"400\"/>"
           "<Integer id=\"DIGGER_WAITAREA_Y\" value=\"500\"/>"
           "<Integer id=\"PICKER_WAITAREA_Y\" value=\"500\"/>"
           "<Integer id=\"DIGGER_WAITAREA_DELTA_X\" value=\"40\"/>"
           "<Integer id=\"PICKER_WAITAREA_DELTA_X\" value=\"30\"/>"
           "<Integer id=\"BETWEEN_PICKER_DIGGER_WAITAREA_DELTA_X\" value=\"50\"/>"
           "<Integer id=\"DIGGER_HOLDAREA_X\" value=\"-20\"/>"
           "<Integer id=\"SCORE_DIGGER_LOVE_MATCH\" value=\"25\"/>"
           "<Boolean id=\"CRUSH_MATCHING\" value=\"true\"/>"
           "<Integer id=\"TIME_UNTIL_DIGGER_IMPATIENT\" value=\"9000\"/>"
           "<Integer id=\"VUVIVEDOD_DEED_CHANCE_STEALITEM\" value=\"5\"/>"
           "<Integer id=\"VUVIVEDOD_DEED_CHANCE_STEALARTIFACT\" value=\"5\"/>"
           "<Integer id=\"VUVIVEDOD_DEED_CHANCE_HYPNOTIZE\" value=\"0\"/>"
           "<Integer id=\"VUVIVEDOD_DEED_CHANCE_MASSHYPNOTIZE\" value=\"0\"/>"
           "<String id=\"TEXT_GOAL\" value=\"Goal: %d\"/>"
           "<String id=\"TEXT_EXPERT\" value=\"Expert: %d\"/>"
           "<String id=\"TEXT_EARNED\" value=\"Earned: %d\"/>"
           "<String id=\"TEXT_DAY\" value=\"Day %d\"/>"
           "<String id=\"TEXT_DAY_2\" value=\"day %d\"/>"
           "<String id=\"TEXT_COUNTRY1\" value=\"Greece\"/>"
           "<String id=\"TEXT_SCORE_PLACE_DIGGER\" value=\"Digger placed\"/>" + WorkerConstantsXml();
}

// A level scene node with the given `variables` body (no vector when empty)
// and further scene components after the standard ones.
inline std::string LevelXml(const std::string& name, const std::string& variables, bool withVector = true,
                            const std::string& components = std::string()) {
    std::string xml = "<Node id=\"scenes\"><SceneGame id=\"" + name + "\" width=\"800\" height=\"600\">";
    if (withVector)
        xml += "<Vector id=\"variables\">" + variables + "</Vector>";
    xml += "<Vector id=\"scenecomponents\">"
           "<Label name=\"FUNDS_EARNED_TEXT\" x=\"10\" y=\"10\" width=\"200\" height=\"20\"/>"
           "<Label name=\"FUNDS_GOAL_TEXT\" x=\"10\" y=\"30\" width=\"200\" height=\"20\"/>"
           "<Label name=\"DAY_TEXT\" x=\"10\" y=\"50\" width=\"200\" height=\"20\"/>"
           "<Button name=\"Menu_Button\" x=\"700\" y=\"10\" width=\"80\" height=\"30\"/>"
           "<DelvorClock name=\"CLOCK\" x=\"600\" y=\"500\" width=\"60\" height=\"60\">"
           "  <Vector id=\"children\">"
           "    <Sprite name=\"CLOCK_HAND\" x=\"30\" y=\"30\" width=\"4\" height=\"25\"/>"
           "    <Sprite name=\"CLOCK_FRAME\" x=\"0\" y=\"0\" width=\"60\" height=\"60\"/>"
           "  </Vector>"
           "</DelvorClock>" +
           components + "</Vector></SceneGame></Node>";
    return xml;
}

class LevelHarness {
public:
    // variables: the body of the level's `variables` vector; components:
    // more scene components; extraData: more catalogue elements (constants).
    explicit LevelHarness(const std::string& variables, const std::string& level = "LEVEL1_1",
                          unsigned seed = 1234, bool withVector = true, const std::string& components = std::string(),
                          const std::string& extraData = std::string())
        : m_World(LevelConstantsXml() + extraData + LevelXml(level, variables, withVector, components)) {
        ZQ2::Random::Instance()->SetSeed(seed);
        if (!ZQ2::PlayerManager::g_Instance)
            ZQ2::PlayerManager::CreateInstance(false, "1");
        if (!ZQ2::HighScoreManager::g_Instance)
            ZQ2::HighScoreManager::CreateInstance(false, "1");
        DVUpgradeHandler::CreateInstance();
        AddShopUpgrades();
        m_pPlayer = ZQ2::DynamicCast<DelvorPlayer>(ZQ2::PlayerManager::g_Instance->AddPlayer(new DelvorPlayer("Ann")));
        ZQ2::SceneManager* scenes = ZQ2::SceneManager::g_Instance;
        m_pLevel = ZQ2::DynamicCast<SceneGame>(scenes->CreateScene(level));
        scenes->EnterScene(level);
        Step(1);
    }
    ~LevelHarness() {
        DVUpgradeHandler::ReleaseInstance();
        ZQ2::HighScoreManager::ReleaseInstance();
        ZQ2::PlayerManager::ReleaseInstance();
        DelvorMain::m_nCurCountry = 1;
        DelvorMain::m_nCurDay = 1;
    }
    LevelHarness(const LevelHarness&) = delete;
    LevelHarness& operator=(const LevelHarness&) = delete;

    void Step(int frames) {
        for (int i = 0; i < frames; ++i)
            m_World.Frame(FRAME_MS);
    }
    // Frames until the state changes or the frame budget is spent.
    int StepUntilStateChanges(int maxFrames) {
        const int from = m_pLevel->GetGameState();
        for (int i = 1; i <= maxFrames; ++i) {
            Step(1);
            if (m_pLevel->GetGameState() != from)
                return i;
        }
        return -1;
    }
    // Frames until the day reaches the state; the number of frames, 0 when
    // it is there already, or -1 when the budget ran out first.
    int StepUntilState(int state, int maxFrames = 1000) {
        for (int i = 0; i <= maxFrames; ++i) {
            if (m_pLevel->GetGameState() == state)
                return i;
            if (i < maxFrames)
                Step(1);
        }
        return -1;
    }
    // The day's opening as the player sees it: the workers walk in, then the
    // day-start dialog comes and is closed. False when it never came.
    bool OpenDay(int maxFrames = 1000) {
        if (StepUntilState(SceneGame::STATE_START_DIALOG, maxFrames) < 0)
            return false;
        m_pLevel->OnStartStageDialogClosed();
        return true;
    }
    void LoseFocus() {
        m_pLevel->ProcessMessage(
            ZQ2::Message(ZQ2::MESSAGE_ACTIVE_CHANGED, new ZQ2::TemplateMessageData<bool>(false)));
    }

    // Three upgrades for every country's shop, of no effect on the day.
    static void AddShopUpgrades() {
        for (int country = 1; country <= DelvorUpgrade::COUNTRY_COUNT; ++country) {
            for (const char* letter : {"A", "B", "C"}) {
                ZQ2::SmartPtr<DelvorUpgrade> upgrade(new DelvorUpgrade);
                upgrade->SetID(std::string("SHOP_") + static_cast<char>('A' + country) + letter);
                upgrade->SetType(DelvorUpgrade::TYPE_GUIDE);
                upgrade->SetCountry(country);
                DVUpgradeHandler::g_Instance->AddUpgradeToMasterList(upgrade.Get());
            }
        }
    }

    SceneGame* Level() const { return m_pLevel; }
    DelvorPlayer* Player() const { return m_pPlayer; }
    GameWorld& World() { return m_World; }

private:
    GameWorld m_World;
    SceneGame* m_pLevel = nullptr;  // held by the scene manager
    DelvorPlayer* m_pPlayer = nullptr;
};

// One `variables` entry.
inline std::string Var(const std::string& key, int value) {
    return "<Integer id=\"" + key + "\" value=\"" + std::to_string(value) + "\"/>";
}

}  // namespace gametest
