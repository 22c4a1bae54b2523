#include "platform/MessageDialog.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// The test run names the offscreen driver; make sure of it when the program
// is started by hand, so that no box can ever wait for a person.
class MessageDialogTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("SDL_VIDEODRIVER", "offscreen", 1); }
    void TearDown() override { platform::MessageDialog::SetPresenter(nullptr); }
};

TEST_F(MessageDialogTest, HeadlessBoxWritesToStandardErrorAndAnswersFirstButton) {
    EXPECT_FALSE(platform::MessageDialog::HasVisibleDisplay());
    ::testing::internal::CaptureStderr();
    const int pressed = platform::MessageDialog::Show("Graphics initialization failed", "No context [3].",
                                                      {"Yes", "No", "Cancel"});
    const std::string written = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(pressed, 0);
    EXPECT_NE(written.find("Graphics initialization failed"), std::string::npos);
    EXPECT_NE(written.find("No context [3]."), std::string::npos);
}

TEST_F(MessageDialogTest, HeadlessUnderOffscreenVideo) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    EXPECT_FALSE(platform::MessageDialog::HasVisibleDisplay());
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

TEST_F(MessageDialogTest, PresenterGetsTheBoxAndItsAnswerIsReturned) {
    std::vector<std::string> seen;
    platform::MessageDialog::SetPresenter(
        [&](const std::string& caption, const std::string& text, const std::vector<std::string>& buttons) {
            EXPECT_EQ(caption, "Caption");
            EXPECT_EQ(text, "Body");
            seen = buttons;
            return 1;
        });
    EXPECT_EQ(platform::MessageDialog::Show("Caption", "Body", {"OK", "Cancel"}), 1);
    EXPECT_EQ(seen, (std::vector<std::string>{"OK", "Cancel"}));
}

}  // namespace
