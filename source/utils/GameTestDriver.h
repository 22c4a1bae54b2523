#pragma once
// Lets a test program outside the game play it in lockstep through the real
// window: at each stop the game writes one JSON line of what a player would
// look at (the drawn area's size, scene, dialogs, buttons, and on the dig
// site the state, funds and the characters, holes and items with their
// window positions) and waits for
// the driver's commands. The driver moves the real pointer itself; the game
// only tells it when each of those events has arrived, so no frame runs
// while an event is on its way. Off unless the test hooks are on and
// DELVOR_TEST_DRIVER names a folder holding the FIFOs "to-driver" (written
// by the game) and "from-driver" (read by it).
//
// Commands, one a line:
//   go N            run N frames (at least 1) to the next stop; a new scene
//                   stops them early
//   await KIND      dispatch window events until a message of KIND (move,
//                   down, up, key) has arrived; answers "seen KIND X Y" at
//                   window coordinates, or "lost KIND" after a minute of none
//   shot NAME       saves the game's picture as NAME.png in the hooks'
//                   folder; answers "shot NAME saved|failed"
// An end of the input (the driver gone) ends the lockstep.
#include <cstdio>
#include <string>

#include "engine/framework/iMessageListener.h"

namespace ZQ2 {
class Scene;
class Sprite;
}  // namespace ZQ2

class SceneGame;

class GameTestDriver : public ZQ2::iMessageListener {
public:
    enum eKind { KIND_MOVE, KIND_DOWN, KIND_UP, KIND_KEY, KIND_COUNT };

    // Opens the FIFOs (blocking until the driver opens its ends); null when
    // the environment does not ask for a driver or they cannot be opened.
    static GameTestDriver* CreateIfAsked(const std::string& folder);
    ~GameTestDriver() override;
    GameTestDriver(const GameTestDriver&) = delete;
    GameTestDriver& operator=(const GameTestDriver&) = delete;

    // Once per frame outside scene transitions; stops when the frames of the
    // last "go" are used up or the scene is new. False once the driver is gone.
    bool OnFrame(ZQ2::Scene* scene, bool newScene);

    void ProcessMessage(const ZQ2::Message& message) override;

private:
    GameTestDriver(std::FILE* toDriver, std::FILE* fromDriver, std::string folder);

    bool Stop(ZQ2::Scene* scene);
    void Await(const std::string& kind);
    std::string Describe(ZQ2::Scene* scene) const;
    std::string DescribeButtons(ZQ2::Scene* scene) const;
    std::string DescribeLevel(SceneGame* level) const;
    std::string Position(ZQ2::Sprite* sprite) const;
    void Answer(const std::string& line);
    bool ReadLine(std::string& line);

    std::FILE* m_pToDriver;
    std::FILE* m_pFromDriver;
    std::string m_sFolder;
    long long m_iFrame = 0;
    int m_iFramesLeft = 0;
    int m_aiSeen[KIND_COUNT] = {};
    float m_afLastX[KIND_COUNT] = {};
    float m_afLastY[KIND_COUNT] = {};
};
