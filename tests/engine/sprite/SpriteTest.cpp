#include "engine/sprite/Sprite.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/graphics/Image.h"
#include "engine/graphics/ImageDataOpenGL.h"
#include "engine/io/BasicProperties.h"
#include "engine/io/ObjectFactory.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyStore.h"
#include "engine/math/PolygonF.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/ResourceLookup.h"

using namespace ZQ2;

namespace {

// A picture of frameCount frames in rows of columns, without a texture.
SmartPtr<Image> MakeImage(int width, int height, int frameCount = 1, int columns = 1) {
    return SmartPtr<Image>(new Image(new ImageDataOpenGL(width, height, width, height, true), frameCount, columns));
}

// Images by "section/name", as the resource manager would hand them out.
struct FakeResources {
    static inline std::map<std::string, SmartPtr<Image>> images;
    static inline std::vector<std::string> asked;

    static Image* Get(const std::string& name, const std::string& section, const std::string* sheetId) {
        std::string key = section;
        key.append("/").append(name);
        if (sheetId)
            key.append("#").append(*sheetId);
        asked.push_back(key);
        auto it = images.find(section + "/" + name);
        return it == images.end() ? nullptr : it->second.Get();
    }
};

class SpriteTest : public ::testing::Test {
protected:
    void SetUp() override {
        FakeResources::images.clear();
        FakeResources::asked.clear();
        ResourceLookup::SetImageSource(&FakeResources::Get);
    }
    void TearDown() override {
        ResourceLookup::SetImageSource(nullptr);
        FakeResources::images.clear();
        BasicProperties::ReleaseInstance();
    }

    // A sprite made by the object factory from one element of XML.
    SmartPtr<Sprite> FromXml(const std::string& element) {
        SmartPtr<PropertyStore> store(new PropertyStore);
        EXPECT_TRUE(store->ParseFromBuffer(("<root>" + element + "</root>").c_str())) << element;
        BaseObject* object = ObjectFactory::Instance()->CreateObject(store->GetChild(0));
        EXPECT_NE(object, nullptr) << element;
        EXPECT_EQ(object ? object->GetRefCount() : -1, 0);
        return SmartPtr<Sprite>(DynamicCast<Sprite>(object));
    }
};

::testing::AssertionResult Near(const Point_t<float>& p, float x, float y) {
    if (std::fabs(p.x - x) < 0.01f && std::fabs(p.y - y) < 0.01f)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << p.x << ", " << p.y << ") is not near (" << x << ", " << y << ")";
}

TEST_F(SpriteTest, IsANodeThatIsItsOwnDrawSettingsAndAnswersOnlyThoseParts) {
    SmartPtr<Sprite> sprite(new Sprite(1.0f, 2.0f, 10.0f, 5.0f));
    const RTTI& type = sprite->GetRTTI();
    EXPECT_EQ(type.GetName(), "Sprite");
    for (const RTTI* base : {&GameNode::rtti, &GraphicsSettings::rtti, &iRenderable::rtti, &iClippable::rtti})
        EXPECT_TRUE(type.DerivesFrom(*base)) << base->GetName();
    EXPECT_EQ(sprite->QueryInterface(GraphicsSettings::rtti), static_cast<GraphicsSettings*>(sprite.Get()));
    EXPECT_EQ(sprite->QueryInterface(iRenderable::rtti), static_cast<iRenderable*>(sprite.Get()));
    EXPECT_EQ(sprite->QueryInterface(iClippable::rtti), static_cast<iClippable*>(sprite.Get()));
    EXPECT_EQ(sprite->QueryInterface(Interface::rtti), nullptr);
    EXPECT_EQ(static_cast<iRenderable*>(sprite.Get())->QueryBaseObject(), sprite.Get());
    EXPECT_EQ(sprite->ToString(), sprite->GameNode::ToString() + "(1.0, 2.0) ");
    // Callers holding only the settings reach the sprite's setters.
    GraphicsSettings* settings = sprite;
    sprite->SetChanged(false);
    settings->SetAlpha(7);
    EXPECT_TRUE(sprite->IsChanged());
    EXPECT_EQ(settings->GetDestX(), 1.0f);
}

TEST_F(SpriteTest, DataKeysApplyInTheirFixedOrder) {
    FakeResources::images["ui/pic"] = MakeImage(160, 40, 4, 4);  // four 40 x 40 frames
    SmartPtr<PropertyStore> constants(new PropertyStore);
    BasicProperties::CreateInstance();
    ASSERT_TRUE(constants->ParseFromBuffer("<root><String id=\"TEXT_TIP\" value=\"Dig here\"/></root>"));
    constants->Parse();

    // Written in the reverse of the order they apply in: the image still
    // refits the size, the frame still follows the image, and the anchor
    // still lands on the final size.
    SmartPtr<Sprite> sprite = FromXml(
        "<Sprite id=\"s\" name=\"logo\" x=\"5\" command=\"GO\" tooltip=\"TEXT_TIP\" anchorpoint=\"center\""
        " currentframe=\"2\" image=\"pic\" section=\"ui\" blendmode=\"additive\" flip=\"vertical\" scale=\"2\""
        " scalex=\"3\" rotation=\"0.5\" skewy=\"0.25\" usealphachannel=\"false\" color=\"0x102030\" alpha=\"128\""
        " height=\"7\" width=\"10\"/>");
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->GetName(), "logo");
    EXPECT_EQ(sprite->GetX(), 5.0f);
    EXPECT_EQ(sprite->GetWidth(), 40.0f);
    EXPECT_EQ(sprite->GetHeight(), 40.0f);
    EXPECT_EQ(sprite->GetImage(), FakeResources::images["ui/pic"].Get());
    EXPECT_EQ(sprite->GetCurrentFrame(), 2);
    EXPECT_EQ(sprite->GetImageFrame(), sprite->GetImage()->GetFrame(2));
    EXPECT_EQ(sprite->GetAnchorPoint().GetType(), ANCHOR_CENTER);
    EXPECT_EQ(sprite->GetAnchorPointX(), 20.0f);
    EXPECT_EQ(sprite->GetAnchorPointY(), 20.0f);
    EXPECT_EQ(sprite->GetPivotPointX(), 20.0f) << "the pivot follows the linked anchor";
    EXPECT_EQ(sprite->GetBlendMode(), BLENDMODE_ADDITIVE);
    EXPECT_FALSE(sprite->IsFlipImageHorizontal());
    EXPECT_TRUE(sprite->IsFlipImageVertical());
    EXPECT_EQ(sprite->GetScaleX(), 2.0f) << "\"scale\" hides \"scalex\"";
    EXPECT_EQ(sprite->GetScaleY(), 2.0f);
    EXPECT_EQ(sprite->GetRotation(), 0.5f);
    EXPECT_EQ(sprite->GetSkewY(), 0.25f);
    EXPECT_FALSE(sprite->IsUseAlphaChannel());
    EXPECT_EQ(sprite->GetColor(), 0x102030);
    EXPECT_EQ(sprite->GetAlpha(), 128);
    ASSERT_NE(sprite->GetToolTipText(), nullptr);
    EXPECT_EQ(*sprite->GetToolTipText(), "Dig here");
    EXPECT_EQ(sprite->GetCommand(), "GO");
    EXPECT_EQ(FakeResources::asked, std::vector<std::string>{"ui/pic"});
}

TEST_F(SpriteTest, KeywordsAndFallbacksOfTheData) {
    struct Case {
        const char* attributes;
        eBlendMode blend;
        bool flipH, flipV;
        float scaleX, scaleY;
    };
    const Case cases[] = {
        {"blendmode=\"blend\"", BLENDMODE_BLEND, false, false, 1, 1},
        {"blendmode=\"multiply\" flip=\"both\"", BLENDMODE_MULTIPLY, true, true, 1, 1},
        {"blendmode=\"copy\" flip=\"horizontal\"", BLENDMODE_REPLACE, true, false, 1, 1},
        {"blendmode=\"copy_color\" flip=\"sideways\"", BLENDMODE_REPLACE_OPAQUE, false, false, 1, 1},
        {"blendmode=\"buffer\" scalex=\"3\"", BLENDMODE_BLEND_MAX_ALPHA, false, false, 3, 1},
        {"blendmode=\"\" scaley=\"0.5\"", BLENDMODE_ALPHA_ONLY, false, false, 1, 0.5f},
        {"blendmode=\"Additive\"", BLENDMODE_BLEND, false, false, 1, 1},  // exact words only
    };
    for (const Case& c : cases) {
        SmartPtr<Sprite> sprite = FromXml(std::string("<Sprite id=\"s\" ") + c.attributes + "/>");
        ASSERT_NE(sprite, nullptr);
        EXPECT_EQ(sprite->GetBlendMode(), c.blend) << c.attributes;
        EXPECT_EQ(sprite->IsFlipImageHorizontal(), c.flipH) << c.attributes;
        EXPECT_EQ(sprite->IsFlipImageVertical(), c.flipV) << c.attributes;
        EXPECT_EQ(sprite->GetScaleX(), c.scaleX) << c.attributes;
        EXPECT_EQ(sprite->GetScaleY(), c.scaleY) << c.attributes;
    }
}

TEST_F(SpriteTest, MissingImagesLeaveTheGivenSizeAndUnknownAnchorsKeepTheirType) {
    SmartPtr<Sprite> missing = FromXml("<Sprite id=\"s\" width=\"30\" height=\"20\" image=\"nothing\" sheetid=\"3\"/>");
    EXPECT_EQ(missing->GetImage(), nullptr);
    EXPECT_EQ(missing->GetWidth(), 30.0f);
    EXPECT_EQ(missing->GetHeight(), 20.0f);
    EXPECT_EQ(FakeResources::asked, std::vector<std::string>{"/nothing#3"}) << "no section: an empty name";

    SmartPtr<Sprite> odd = FromXml("<Sprite id=\"s\" width=\"30\" height=\"20\" anchorpoint=\"middle\"/>");
    EXPECT_EQ(odd->GetAnchorPoint().GetType(), ANCHOR_TOPLEFT);

    // Coordinates apply only without the keyword; a missing one reads as 0.
    SmartPtr<Sprite> free = FromXml("<Sprite id=\"s\" width=\"30\" height=\"20\" anchorpointy=\"4\"/>");
    EXPECT_EQ(free->GetAnchorPoint().GetType(), ANCHOR_FREE);
    EXPECT_EQ(free->GetAnchorPointX(), 0.0f);
    EXPECT_EQ(free->GetAnchorPointY(), 4.0f);
    SmartPtr<Sprite> both =
        FromXml("<Sprite id=\"s\" width=\"30\" height=\"20\" anchorpoint=\"bottomright\" anchorpointx=\"4\""
                " pivotpointx=\"1\" pivotpointy=\"2\"/>");
    EXPECT_EQ(both->GetAnchorPointX(), 30.0f);
    EXPECT_EQ(both->GetAnchorPointY(), 20.0f);
    EXPECT_EQ(both->GetPivotPointX(), 1.0f);
    EXPECT_EQ(both->GetPivotPointY(), 2.0f);
    EXPECT_FALSE(both->LinkAnchorAndPivot());

    // A frame past the image's end leaves nothing to draw.
    FakeResources::images["/strip"] = MakeImage(20, 10, 2, 2);
    SmartPtr<Sprite> past = FromXml("<Sprite id=\"s\" image=\"strip\" currentframe=\"2\"/>");
    EXPECT_EQ(past->GetCurrentFrame(), 2);
    EXPECT_EQ(past->GetImageFrame(), nullptr);
    EXPECT_EQ(past->GetWidth(), 10.0f);
}

TEST_F(SpriteTest, ChildrenOfTheDataAreBuiltToo) {
    SmartPtr<Sprite> parent = FromXml(
        "<Sprite id=\"p\" width=\"50\" height=\"50\"><Vector id=\"children\">"
        "<Sprite id=\"c\" name=\"child\" width=\"5\" height=\"6\" y=\"9\"/></Vector></Sprite>");
    ASSERT_NE(parent, nullptr);
    auto* child = DynamicCast<Sprite>(parent->GetFirstChild());
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->GetName(), "child");
    EXPECT_EQ(child->GetY(), 9.0f);
    EXPECT_EQ(child->GetHeight(), 6.0f);
}

TEST_F(SpriteTest, DimensionEdges) {
    SmartPtr<GameTree> root(new GameTree());
    auto* sprite = new Sprite(0.0f, 0.0f, 10.0f, 10.0f);
    GameTree::LinkNodeUnder(root, sprite);
    EXPECT_TRUE(sprite->IsInside(5.0f, 5.0f));

    sprite->SetDimension(0.0f, -3.0f);
    EXPECT_EQ(sprite->GetPolygon(), nullptr);
    EXPECT_FALSE(sprite->IsInside(0.0f, 0.0f));
    EXPECT_TRUE(sprite->CalculateBoundingBox(Matrix3x3()).IsEmpty());

    sprite->SetDimension(8.0f, 0.0f);
    ASSERT_NE(sprite->GetPolygon(), nullptr) << "a rectangle of height 0 is still a rectangle";
    EXPECT_EQ(sprite->GetWidth(), 8.0f);
    EXPECT_EQ(sprite->GetHeight(), 0.0f);

    sprite->SetDimension(8.0f, -4.0f);
    ASSERT_NE(sprite->GetPolygon(), nullptr) << "one size above 0 keeps a rectangle";

    // Named anchors follow the size.
    sprite->SetAnchorPoint(ANCHOR_BOTTOMRIGHT);
    sprite->SetDimension(20.0f, 12.0f);
    EXPECT_EQ(sprite->GetAnchorPointX(), 20.0f);
    EXPECT_EQ(sprite->GetAnchorPointY(), 12.0f);
    EXPECT_EQ(sprite->GetLeft(), -20.0f);
    EXPECT_EQ(sprite->GetTop(), -12.0f);
}

TEST_F(SpriteTest, ImagesAndFrames) {
    SmartPtr<Image> strip = MakeImage(120, 30, 4, 4);  // 30 x 30 frames
    SmartPtr<Sprite> sprite(new Sprite(0.0f, 0.0f, strip));
    EXPECT_EQ(strip->GetRefCount(), 2);
    EXPECT_EQ(sprite->GetWidth(), 30.0f);
    EXPECT_EQ(sprite->GetImageFrame(), strip->GetFrame(0));
    sprite->LastFrame();
    EXPECT_EQ(sprite->GetCurrentFrame(), 3);
    EXPECT_EQ(sprite->GetImageFrame(), strip->GetFrame(3));

    // A new image starts on its first frame with its size.
    SmartPtr<Image> single = MakeImage(16, 8);
    sprite->SetImage(single);
    EXPECT_EQ(strip->GetRefCount(), 1);
    EXPECT_EQ(sprite->GetCurrentFrame(), 0);
    EXPECT_EQ(sprite->GetImageFrame(), single->GetFrame());
    EXPECT_EQ(sprite->GetHeight(), 8.0f);
    sprite->SetCurrentFrame(-1);
    EXPECT_EQ(sprite->GetImageFrame(), nullptr);

    sprite->SetImage(nullptr);
    EXPECT_EQ(sprite->GetImageFrame(), nullptr);
    EXPECT_EQ(sprite->GetPolygon(), nullptr);
    sprite->SetCurrentFrame(5);
    sprite->LastFrame();
    EXPECT_EQ(sprite->GetCurrentFrame(), 0) << "without an image there is one frame";
}

TEST_F(SpriteTest, RelocatingTheAnchorOrPivotLeavesThePictureInPlace) {
    SmartPtr<GameTree> root(new GameTree());
    auto* sprite = new Sprite(0.0f, 0.0f, 100.0f, 50.0f);
    GameTree::LinkNodeUnder(root, sprite);
    sprite->RelocateAnchorPoint(ANCHOR_CENTER);
    EXPECT_EQ(sprite->GetX(), 50.0f);
    EXPECT_EQ(sprite->GetY(), 25.0f);
    EXPECT_TRUE(Near(sprite->ToGlobal(0.0f, 0.0f), 0.0f, 0.0f));

    // Turned about its centre, then the pivot moves to a corner: every
    // corner of the picture stays where it was.
    sprite->SetRotation(0.7f);
    sprite->SetScaleX(1.5f);
    const Point_t<float> corners[] = {sprite->ToGlobal(0, 0), sprite->ToGlobal(100, 0), sprite->ToGlobal(100, 50)};
    sprite->RelocatePivotPoint(ANCHOR_TOPRIGHT);
    EXPECT_FALSE(sprite->LinkAnchorAndPivot());
    EXPECT_EQ(sprite->GetPivotPointX(), 100.0f);
    EXPECT_TRUE(Near(sprite->ToGlobal(0, 0), corners[0].x, corners[0].y));
    EXPECT_TRUE(Near(sprite->ToGlobal(100, 0), corners[1].x, corners[1].y));
    EXPECT_TRUE(Near(sprite->ToGlobal(100, 50), corners[2].x, corners[2].y));
}

// Bringing a turned sprite to the front, or moving it under another parent,
// keeps its picture in place: its pivot differs from its anchor.
TEST_F(SpriteTest, ReparentingATransformedSpriteKeepsItsPicture) {
    SmartPtr<GameTree> root(new GameTree());
    auto* holder = new Sprite(30.0f, 40.0f, 10.0f, 10.0f);
    auto* other = new Sprite(-200.0f, 75.0f, 10.0f, 10.0f);
    auto* sprite = new Sprite(10.0f, 20.0f, 100.0f, 50.0f);
    GameTree::LinkNodeUnder(root, holder);
    GameTree::LinkNodeUnder(root, other);
    GameTree::LinkNodeUnder(holder, sprite);
    GameTree::LinkNodeUnder(holder, new Sprite(0.0f, 0.0f, 1.0f, 1.0f));
    sprite->SetPivotPoint(ANCHOR_CENTER);
    sprite->SetRotation(static_cast<float>(M_PI));
    sprite->SetScaleY(2.0f);
    const Point_t<float> corners[] = {sprite->ToGlobal(0, 0), sprite->ToGlobal(100, 50)};
    for (int i = 0; i < 3; ++i)
        GameTree::RelocateGameNode(holder, sprite, false);  // bringToFront
    EXPECT_EQ(sprite->GetX(), 10.0f);
    EXPECT_EQ(sprite->GetY(), 20.0f);
    EXPECT_TRUE(Near(sprite->ToGlobal(0, 0), corners[0].x, corners[0].y));

    GameTree::RelocateGameNode(other, sprite, true);
    EXPECT_EQ(sprite->GetParent(), other);
    EXPECT_TRUE(Near(sprite->ToGlobal(0, 0), corners[0].x, corners[0].y));
    EXPECT_TRUE(Near(sprite->ToGlobal(100, 50), corners[1].x, corners[1].y));
    EXPECT_FLOAT_EQ(sprite->GetX(), 240.0f);
    EXPECT_FLOAT_EQ(sprite->GetY(), -15.0f);
}

TEST_F(SpriteTest, LocalCoordinatesStartAtTheRectanglesCorner) {
    SmartPtr<GameTree> root(new GameTree());
    auto* parent = new Sprite(100.0f, 50.0f, 10.0f, 10.0f);
    auto* sprite = new Sprite(20.0f, 10.0f, 40.0f, 20.0f);
    GameTree::LinkNodeUnder(root, parent);
    GameTree::LinkNodeUnder(parent, sprite);
    sprite->SetAnchorPoint(ANCHOR_CENTER);
    sprite->SetRotation(static_cast<float>(M_PI / 2));

    // The anchor sits on the position; a quarter turn about it.
    EXPECT_TRUE(Near(sprite->ToGlobal(20.0f, 10.0f), 120.0f, 60.0f));
    EXPECT_TRUE(Near(sprite->ToGlobal(40.0f, 10.0f), 120.0f, 80.0f));
    EXPECT_TRUE(Near(sprite->ToLocal(120.0f, 80.0f), 40.0f, 10.0f));
    EXPECT_TRUE(sprite->IsInside(121.0f, 78.0f));
    EXPECT_FALSE(sprite->IsInside(135.0f, 60.0f)) << "inside the unturned rectangle only";

    // The box is the turned rectangle, placed by the parent as well.
    const Region_t<float> box = sprite->CalculateBoundingBox(false, true, root.Get());
    EXPECT_NEAR(box.minX, 110.0f, 0.01f);
    EXPECT_NEAR(box.minY, 40.0f, 0.01f);
    EXPECT_NEAR(box.maxX, 130.0f, 0.01f);
    EXPECT_NEAR(box.maxY, 80.0f, 0.01f);

    // A sprite that adds nothing of its own is still moved by its parent.
    auto* plain = new Sprite(0.0f, 0.0f, 5.0f, 5.0f);
    GameTree::LinkNodeUnder(parent, plain);
    const Region_t<float> plainBox = plain->CalculateBoundingBox(false, true, root.Get());
    EXPECT_EQ(plainBox.minX, 100.0f);
    EXPECT_EQ(plainBox.maxY, 55.0f);
}

TEST_F(SpriteTest, SettersFlagChangesOnlyWhenSomethingChanges) {
    SmartPtr<Sprite> sprite(new Sprite(1.0f, 2.0f, 10.0f, 10.0f));
    sprite->UpdateTransformations();
    sprite->SetChanged(false);
    sprite->SetX(1.0f);
    sprite->SetRotation(0.0f);
    sprite->SetScaleY(1.0f);
    sprite->SetAlpha(255);
    sprite->SetVisible(true);
    sprite->SetDimension(10.0f, 10.0f);
    EXPECT_FALSE(sprite->IsChanged());
    EXPECT_FALSE(sprite->IsDirty());

    sprite->SetY(3.0f);
    EXPECT_TRUE(sprite->IsChanged());
    EXPECT_TRUE(sprite->IsDirty()) << "a move makes the matrices stale";
    EXPECT_EQ(sprite->GetTransformationMatrix()(1, 2), 3.0f);

    sprite->SetChanged(false);
    sprite->SetObsolete(true);
    EXPECT_TRUE(sprite->IsChanged());
    EXPECT_TRUE(sprite->IsObsolete());
}

TEST_F(SpriteTest, CopiesShareImageAndClipButNotTheCommand) {
    SmartPtr<Image> image = MakeImage(8, 8);
    SmartPtr<Sprite> source(new Sprite(3.0f, 4.0f, image));
    source->SetToolTipText("tip");
    source->SetCommand("OPEN");
    source->SetClipRect(0.0f, 0.0f, 4.0f, 4.0f);
    source->SetCurrentFrame(0);

    SmartPtr<Sprite> copy(new Sprite(*source));
    EXPECT_EQ(copy->GetImage(), image.Get());
    EXPECT_EQ(copy->GetClipPolygon(), source->GetClipPolygon());
    EXPECT_EQ(source->GetClipPolygon()->GetRefCount(), 2);
    ASSERT_NE(copy->GetToolTipText(), nullptr);
    EXPECT_EQ(*copy->GetToolTipText(), "tip");
    EXPECT_NE(copy->GetToolTipText(), source->GetToolTipText());
    EXPECT_TRUE(copy->GetCommand().empty());
    EXPECT_EQ(copy->GetX(), 3.0f);

    // Resizing the copy leaves the source's rectangle alone.
    copy->SetDimension(2.0f, 2.0f);
    EXPECT_EQ(source->GetWidth(), 8.0f);

    source->SetToolTipText("");
    EXPECT_EQ(source->GetToolTipText(), nullptr);
}

}  // namespace
