#pragma once
// What the end-to-end tests need to watch a real run from the outside; off
// unless DELVOR_TEST_OUTPUT names a folder. Then every scene that settles is
// logged with the game time, its picture is saved there as "<scene>.png" and
// the sound captured so far as "<scene>.wav", and the quit question is
// answered yes. The window is closed once the scene that DELVOR_TEST_CLOSE_IN
// names has settled.
//
// For a driven run (see GameTestDriver) two more variables make it the same
// every time: DELVOR_TEST_FRAME_MS gives every frame that many ms of game
// time whatever the real time, and DELVOR_TEST_SEED seeds the random source
// anew whenever a scene is entered (loading takes a real time that varies).
#include <memory>
#include <set>
#include <string>

#include "engine/framework/iTask.h"

namespace ZQ2 {
class Scene;
}

class GameTestDriver;

class GameTestHooks : public ZQ2::iTask {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;

    // A scene is pictured once it has been shown this long, in ms of game time.
    static constexpr int SETTLE_TIME_MS = 500;
    // The quit question is answered once it has been shown this long.
    static constexpr int ANSWER_DELAY_MS = 500;

    GameTestHooks(const std::string& folder, const std::string& closeIn);
    ~GameTestHooks() override;
    GameTestHooks(const GameTestHooks&) = delete;
    GameTestHooks& operator=(const GameTestHooks&) = delete;

    // Attaches the hooks to the task manager once, when the environment asks
    // for them.
    static void AttachIfAsked();

    const ZQ2::RTTI& GetRTTI() const override { return rtti; }
    void OnUpdate(int deltaMs) override;

    // Draws the game tree again into the back buffer and saves it as a PNG.
    static bool SaveScreenshot(const std::string& file);

private:
    void ReadDrivenRun();
    // True when the scene is new.
    bool WatchScene(ZQ2::Scene* scene, int deltaMs);
    bool IsSettled(ZQ2::Scene* scene) const;
    void Record(const std::string& name);
    void AnswerQuitQuestion(ZQ2::Scene* scene, int deltaMs);

    std::string m_sFolder;
    std::string m_sCloseIn;
    long long m_iGameTime = 0;
    std::string m_sScene;
    int m_iSceneTime = 0;
    // Time since the splash scene's first image appeared; -1 before.
    int m_iImageTime = -1;
    std::set<std::string> m_Recorded;
    int m_iQuestionTime = -1;
    bool m_bSeeded = false;
    long long m_iSeed = 0;
    std::unique_ptr<GameTestDriver> m_pDriver;
};
