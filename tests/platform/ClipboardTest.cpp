#include "platform/Clipboard.h"

#include <SDL.h>
#include <gtest/gtest.h>

namespace {

TEST(Clipboard, RoundTripsUtf8TextUnderVideo) {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    const std::string text = "Vuru \xC3\xA9\xE2\x82\xAC line\nnext";
    EXPECT_TRUE(platform::Clipboard::SetText(text));
    EXPECT_EQ(platform::Clipboard::GetText(), text);
    EXPECT_TRUE(platform::Clipboard::SetText(""));
    EXPECT_EQ(platform::Clipboard::GetText(), "");
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

TEST(Clipboard, WithoutVideoNothingIsStoredOrRead) {
    ASSERT_FALSE(SDL_WasInit(SDL_INIT_VIDEO));
    EXPECT_FALSE(platform::Clipboard::SetText("x"));
    EXPECT_EQ(platform::Clipboard::GetText(), "");
}

}  // namespace
