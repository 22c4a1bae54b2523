#include "platform/EventPump.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

class EventPumpTest : public ::testing::Test {
protected:
    void TearDown() override {
        platform::EventPump::SetHandler(nullptr);
        while (platform::EventPump::DispatchOne()) {
        }
        if (SDL_WasInit(SDL_INIT_EVENTS))
            SDL_QuitSubSystem(SDL_INIT_EVENTS);
    }

    void Record() {
        platform::EventPump::SetHandler([this](const SDL_Event& e) { m_Types.push_back(e.type); });
    }

    std::vector<Uint32> m_Types;
};

TEST_F(EventPumpTest, EmptyQueueAnswersFalseAtOnce) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0) << SDL_GetError();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    Record();
    EXPECT_FALSE(platform::EventPump::DispatchOne());
    EXPECT_TRUE(m_Types.empty());
}

TEST_F(EventPumpTest, DispatchesOneEventPerCallAndQuitAfterQueuedEvents) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0) << SDL_GetError();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    Record();
    SDL_Event user;
    SDL_zero(user);
    user.type = SDL_USEREVENT;
    ASSERT_EQ(SDL_PushEvent(&user), 1);
    ASSERT_EQ(SDL_PushEvent(&user), 1);
    platform::EventPump::PostQuit();

    EXPECT_TRUE(platform::EventPump::DispatchOne());
    EXPECT_EQ(m_Types.size(), 1u);
    while (platform::EventPump::DispatchOne()) {
    }
    EXPECT_EQ(m_Types, (std::vector<Uint32>{SDL_USEREVENT, SDL_USEREVENT, SDL_QUIT}));
}

TEST_F(EventPumpTest, QuitIsDeliveredWithoutSdlEvents) {
    ASSERT_FALSE(SDL_WasInit(SDL_INIT_EVENTS));
    Record();
    platform::EventPump::PostQuit();
    EXPECT_TRUE(platform::EventPump::DispatchOne());
    EXPECT_FALSE(platform::EventPump::DispatchOne());
    EXPECT_EQ(m_Types, std::vector<Uint32>{SDL_QUIT});
}

}  // namespace
