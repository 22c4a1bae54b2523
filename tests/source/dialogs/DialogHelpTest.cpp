// The help pages: the first page on opening after a short wait, paging to
// the ends with the buttons disabled there, and a header list too short.
#include "source/dialogs/DialogHelp.h"

#include <gtest/gtest.h>

#include "engine/graphics/Image.h"
#include "engine/graphics/ImageDataOpenGL.h"
#include "engine/io/BasicProperties.h"
#include "engine/io/PropertyValue.h"
#include "engine/sprite/Button.h"
#include "engine/sprite/Label.h"
#include "engine/sprite/Sprite.h"
#include "tests/source/dialogs/MenuDialogsSupport.h"

using namespace ZQ2;

namespace {

// One picture per help page.
struct Pictures {
    static inline std::vector<SmartPtr<Image>> images;
    static Image* Get(const std::string& name, const std::string& section, const std::string*) {
        if (section != "help" || name.rfind("HELP_SCREEN", 0) != 0)
            return nullptr;
        const int page = std::atoi(name.c_str() + 11);
        return page >= 1 && page <= 4 ? images[page - 1].Get() : nullptr;
    }
};

class DialogHelpTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int page = 1; page <= 4; ++page)
            Pictures::images.push_back(new Image(new ImageDataOpenGL(10 * page, 8, 10 * page, 8, true), 1, 1));
        ResourceLookup::SetImageSource(&Pictures::Get);
    }
    void TearDown() override {
        ResourceLookup::SetImageSource(nullptr);
        Pictures::images.clear();
    }

    std::string Header(DialogHelp* help) const { return help->GetHeaderLabel()->GetText(); }
    // The page whose picture the screen shows, 0 for none.
    int PicturePage(DialogHelp* help) const {
        for (size_t i = 0; i < Pictures::images.size(); ++i) {
            if (help->GetScreen()->GetImage() == Pictures::images[i].Get())
                return static_cast<int>(i) + 1;
        }
        return 0;
    }

    gametest::MenuWorld m_Menu;
};

}  // namespace

TEST_F(DialogHelpTest, OpensOnPageOneAfterAShortWaitAndPagesToTheEnds) {
    DialogHelp* help = m_Menu.Open<DialogHelp>("DIALOG_HELP");
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->GetPage(), 1);
    EXPECT_EQ(Header(help), "One");
    EXPECT_EQ(PicturePage(help), 1);
    EXPECT_FALSE(help->GetPrevButton()->IsEnabled());
    EXPECT_TRUE(help->GetNextButton()->IsEnabled());
    // Invisible through the delay, then the fade-in.
    m_Menu.Run(150);
    EXPECT_EQ(help->GetAlpha(), 0);
    m_Menu.Run(550);

    const std::vector<std::string> headers = {"Two", "Three", "Four"};
    for (int i = 0; i < 3; ++i) {
        m_Menu.m_World.ClickOn(help->GetNextButton());
        EXPECT_EQ(help->GetPage(), i + 2);
        EXPECT_EQ(Header(help), headers[i]);
        EXPECT_EQ(PicturePage(help), i + 2);
    }
    EXPECT_FALSE(help->GetNextButton()->IsEnabled());
    EXPECT_TRUE(help->GetPrevButton()->IsEnabled());
    m_Menu.m_World.ClickOn(help->GetNextButton());
    EXPECT_EQ(help->GetPage(), 4);
    m_Menu.m_World.ClickOn(help->GetPrevButton());
    EXPECT_EQ(help->GetPage(), 3);
    EXPECT_EQ(Header(help), "Three");

    m_Menu.m_World.ClickOn(help->GetOkButton());
    m_Menu.Run(500);
    EXPECT_FALSE(m_Menu.Showing("DIALOG_HELP"));
}

TEST_F(DialogHelpTest, MissingHeadersShowEmpty) {
    PropertyVector* headers = BasicProperties::GetVector("HELP_HEADERS");
    ASSERT_NE(headers, nullptr);
    while (headers->GetCount() > 2)
        headers->RemoveProperty(headers->GetProperty(headers->GetCount() - 1));
    DialogHelp* help = m_Menu.Open<DialogHelp>("DIALOG_HELP");
    ASSERT_NE(help, nullptr);
    m_Menu.Run(700);
    for (int i = 0; i < 3; ++i)
        m_Menu.m_World.ClickOn(help->GetNextButton());
    EXPECT_EQ(help->GetPage(), 4);
    EXPECT_EQ(Header(help), "");
}
