// Web-link buttons: the address goes to the platform's browser call before
// the command reaches the dialog; without a callback nothing opens.
#include "engine/sprite/ButtonURL.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/io/PropertyStore.h"
#include "engine/sprite/Dialog.h"
#include "platform/BrowserLauncher.h"
#include "tests/engine/io/ResourceFiles.h"
#include "tests/engine/sprite/WidgetTestSupport.h"

using namespace ZQ2;
using WidgetTest::FromXml;
using WidgetTest::Key;
using WidgetTest::Mouse;

namespace {

std::vector<std::string> g_Events;

class LinkDialog : public Dialog {
public:
    explicit LinkDialog(AbstractProperty* data) : Dialog(data) {}
    void HandleCommand(const std::string& command, GameNode*) override { g_Events.push_back("command:" + command); }
};

class ButtonURLTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_Events.clear();
        platform::BrowserLauncher::SetLauncher([](const std::string& address) {
            g_Events.push_back("open:" + address);
            return true;
        });
    }
    void TearDown() override { platform::BrowserLauncher::SetLauncher(nullptr); }

    static void Click(Button* button) {
        button->OnMouseLeftDown(Mouse(1, 1));
        button->OnMouseLeftUp(Mouse(1, 1));
    }
};

TEST_F(ButtonURLTest, InADialogItOpensTheAddressThenDeliversItsCommand) {
    SmartPtr<PropertyStore> store(new PropertyStore);
    ASSERT_TRUE(store->ParseFromBuffer(
        "<root><Dialog><Vector id=\"components\">"
        "<ButtonURL name=\"more\" width=\"10\" height=\"10\" url=\"https://example.org/games\" firekey=\"13\"/>"
        "</Vector></Dialog></root>"));
    SmartPtr<LinkDialog> dialog(new LinkDialog(store->GetChild(0)));
    auto* link = DynamicCast<ButtonURL>(dialog->GetComponent("more"));
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->GetURL(), "https://example.org/games");
    Click(link);
    link->OnKeyUp(Key(13));
    EXPECT_EQ(g_Events, (std::vector<std::string>{"open:https://example.org/games", "command:more",
                                                  "open:https://example.org/games", "command:more"}));
}

TEST_F(ButtonURLTest, WithoutCallbackNothingOpens) {
    SmartPtr<ButtonURL> link = FromXml<ButtonURL>("<ButtonURL width=\"10\" height=\"10\" url=\"example.org\"/>");
    ASSERT_TRUE(link);
    Click(link.Get());
    EXPECT_TRUE(g_Events.empty());

    link->SetTargetAndMethod(nullptr, [](BaseObject*, BaseObject*) { g_Events.push_back("callback"); });
    Click(link.Get());
    EXPECT_EQ(g_Events, (std::vector<std::string>{"open:http://example.org", "callback"}));
}

TEST_F(ButtonURLTest, AnImageFileThatDoesNotLoadLeavesTheImage) {
    SmartPtr<ButtonURL> link = FromXml<ButtonURL>("<ButtonURL width=\"10\" height=\"10\" file=\"no/such.png\"/>");
    ASSERT_TRUE(link);
    EXPECT_EQ(link->GetImage(), nullptr);
    EXPECT_EQ(link->GetWidth(), 10.0f);
    EXPECT_TRUE(link->GetRTTI().DerivesFrom(Button::rtti));
}

}  // namespace

namespace {

using ButtonURLFile = resfiles::ScratchFolderTest;

TEST_F(ButtonURLFile, AnImageFileGivesFourStateFramesSideBySide) {
    resfiles::Write("links/more.png", resfiles::PatternPng(64, 12));
    SmartPtr<ButtonURL> link = FromXml<ButtonURL>("<ButtonURL file=\"Links/More.png\" enabled=\"false\"/>");
    ASSERT_TRUE(link);
    ASSERT_NE(link->GetImage(), nullptr);
    EXPECT_EQ(link->GetImage()->GetFrameCount(), 4);
    EXPECT_EQ(link->GetWidth(), 16.0f);
    EXPECT_EQ(link->GetHeight(), 12.0f);
    EXPECT_EQ(link->GetCurrentFrame(), 3) << "the frame follows the state at once";
}

}  // namespace
