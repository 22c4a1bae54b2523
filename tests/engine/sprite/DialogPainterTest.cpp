// The dialog painter's preferred sizes, its lazily fetched pieces and its
// keys. Its drawing is checked by the dialog's reference picture.
#include "engine/sprite/DialogPainter.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/engine/sprite/WidgetTestSupport.h"

using namespace ZQ2;
using WidgetTest::FromXml;
using WidgetTest::MakeImage;

namespace {

class DialogPainterTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Corners 12 x 12, edges 8 thick (top and bottom 8 x 8, sides 8 x 6),
        // centre 5 x 7.
        for (const char* corner : {"tl", "tr", "bl", "br"})
            m_Images.Add(std::string("ui/") + corner, MakeImage(12, 12).Get());
        m_Images.Add("ui/t", MakeImage(8, 8).Get());
        m_Images.Add("ui/b", MakeImage(8, 8).Get());
        m_Images.Add("ui/l", MakeImage(8, 6).Get());
        m_Images.Add("ui/r", MakeImage(8, 6).Get());
        m_Images.Add("ui/c", MakeImage(5, 7).Get());
    }

    static SmartPtr<DialogPainter> Painter(const std::string& images, const std::string& attributes = "") {
        return FromXml<DialogPainter>("<DialogPainter section=\"ui\" " + attributes + "><Vector id=\"images\">" +
                                      images + "</Vector></DialogPainter>");
    }
    static std::string Names(std::initializer_list<const char*> names) {
        std::string xml;
        for (const char* name : names)
            xml += std::string("<String value=\"") + name + "\"/>";
        return xml;
    }

    WidgetTest::FakeImages m_Images;
};

TEST_F(DialogPainterTest, PreferredSizeIsBordersPlusWholeTiles) {
    SmartPtr<DialogPainter> painter = Painter(Names({"tl", "t", "tr", "l", "c", "r", "bl", "b", "br"}));
    ASSERT_TRUE(painter);
    struct Case {
        float asked, width, height;
    };
    const Case cases[] = {
        {100.0f, 104.0f, 102.0f},  // 24 + ceil(76 / 8) * 8; 24 + ceil(76 / 6) * 6
        {104.0f, 104.0f, 108.0f},
        {25.0f, 32.0f, 30.0f},
        {24.0f, 24.0f, 24.0f},  // exactly the borders
        {10.0f, 24.0f, 24.0f},  // below the borders
        {-1.0f, 24.0f, 24.0f},  // nothing asked for yet
    };
    for (const Case& c : cases) {
        EXPECT_EQ(painter->GetPreferredWidth(c.asked), c.width) << c.asked;
        EXPECT_EQ(painter->GetPreferredHeight(c.asked), c.height) << c.asked;
    }
}

TEST_F(DialogPainterTest, MissingPiecesFallBackToSidesAndCentre) {
    // No corners: the sides make the border. No top or bottom: the centre
    // is the horizontal tile.
    SmartPtr<DialogPainter> sides = Painter(Names({"", "", "", "l", "c", "r"}));
    EXPECT_EQ(sides->GetPreferredWidth(20.0f), 16.0f + 5.0f);
    EXPECT_EQ(sides->GetPreferredHeight(20.0f), 24.0f) << "no top or bottom: no border, side tiles of 6";

    SmartPtr<DialogPainter> none = Painter(Names({"missing"}));
    EXPECT_EQ(none->GetPreferredWidth(33.0f), 33.0f);
    EXPECT_EQ(none->GetPreferredWidth(-1.0f), 0.0f) << "no pieces: a border of 0";
    EXPECT_EQ(none->GetImageFrame(0), nullptr) << "an unknown name is a missing piece";
    EXPECT_EQ(none->GetImageFrame(9), nullptr) << "beyond the list";
}

TEST_F(DialogPainterTest, PiecesAreFetchedAgainAfterAChange) {
    SmartPtr<DialogPainter> painter = Painter(Names({"tl", "t"}));
    EXPECT_TRUE(painter->IsRepaint());
    ASSERT_TRUE(painter->GetImageFrame(1));
    EXPECT_EQ(painter->GetImageFrame(1)->GetWidth(), 8);
    painter->SetRepaint(false);

    painter->SetImage(1, "c");
    EXPECT_TRUE(painter->IsRepaint());
    EXPECT_EQ(painter->GetImageFrame(1)->GetWidth(), 5);
    painter->SetImage(5, "c");  // outside the name list: ignored
    EXPECT_EQ(painter->GetImageNameCount(), 2);

    painter->SetRepaint(false);
    painter->SetSection("other");
    EXPECT_TRUE(painter->IsRepaint());
    EXPECT_EQ(painter->GetImageFrame(0), nullptr) << "nothing of that name in the new section";

    painter->ClearImages();
    EXPECT_EQ(painter->GetImageNameCount(), 0);
}

TEST_F(DialogPainterTest, KeysAndOffsets) {
    SmartPtr<DialogPainter> plain = Painter("");
    EXPECT_EQ(plain->GetCenterColor(), 0);
    EXPECT_EQ(plain->GetCenterAlpha(), 255);
    EXPECT_EQ(plain->GetClearColor(), 0);
    EXPECT_EQ(plain->GetOffsets(), nullptr);

    SmartPtr<DialogPainter> set =
        Painter("", "centercolor=\"0x102030\" centeralpha=\"128\" clearcolor=\"0x405060\" offsettop=\"0\"");
    EXPECT_EQ(set->GetCenterColor(), 0x102030);
    EXPECT_EQ(set->GetCenterAlpha(), 128);
    EXPECT_EQ(set->GetClearColor(), 0x405060);
    ASSERT_NE(set->GetOffsets(), nullptr) << "one key, even at 0, replaces all four insets";
    EXPECT_EQ(set->GetOffsets()->m_iLeft, 0);

    SmartPtr<DialogPainter> insets = Painter("", "offsetleft=\"3\" offsetbottom=\"4\"");
    EXPECT_EQ(insets->GetOffsets()->m_iLeft, 3);
    EXPECT_EQ(insets->GetOffsets()->m_iRight, 0);
    EXPECT_EQ(insets->GetOffsets()->m_iBottom, 4);
}

TEST_F(DialogPainterTest, WorldCoverIsHeldUntilReplaced) {
    SmartPtr<DialogPainter> painter = Painter("");
    SmartPtr<Image> cover = MakeImage(2, 2);
    painter->SetRepaint(false);
    painter->SetWorldCover(cover.Get());
    EXPECT_TRUE(painter->HasWorldCover());
    EXPECT_FALSE(painter->IsRepaint());
    EXPECT_EQ(cover->GetRefCount(), 2);
    painter->SetWorldCover(nullptr);
    EXPECT_FALSE(painter->HasWorldCover());
    EXPECT_EQ(cover->GetRefCount(), 1);
}

}  // namespace
