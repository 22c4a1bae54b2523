#include "platform/Display.h"

#include <SDL.h>
#include <gtest/gtest.h>

namespace {

// Started once for the first query and kept for the window that follows:
// closing and at once reopening an X display fails now and then.
TEST(Display, ReportsTheOffscreenDesktopAndKeepsVideoStartedOnce) {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    ASSERT_FALSE(SDL_WasInit(SDL_INIT_VIDEO));
    EXPECT_GT(platform::Display::Width(), 0);
    EXPECT_GT(platform::Display::Height(), 0);
    EXPECT_EQ(platform::Display::BitsPerPixel(), 32);
    EXPECT_TRUE(SDL_WasInit(SDL_INIT_VIDEO));
    // One reference only: a single quit ends it.
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    EXPECT_FALSE(SDL_WasInit(SDL_INIT_VIDEO));
}

TEST(Display, KeepsVideoStartedByOthers) {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    SDL_DisplayMode mode;
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &mode), 0);
    EXPECT_EQ(platform::Display::Width(), mode.w);
    EXPECT_EQ(platform::Display::Height(), mode.h);
    EXPECT_TRUE(SDL_WasInit(SDL_INIT_VIDEO));
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

TEST(Display, AnswersZeroWhenNoVideoDriverStarts) {
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "no-such-driver", SDL_HINT_OVERRIDE);
    EXPECT_EQ(platform::Display::Width(), 0);
    EXPECT_EQ(platform::Display::BitsPerPixel(), 0);
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "offscreen", SDL_HINT_OVERRIDE);
}

}  // namespace
