#include "engine/sprite/iHitMask.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/graphics/Image.h"
#include "engine/graphics/ImageDataOpenGL.h"
#include "engine/graphics/ImageFrame.h"
#include "engine/graphics/Mask.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyStore.h"
#include "engine/sprite/ResourceLookup.h"
#include "engine/sprite/Sprite.h"

using namespace ZQ2;

namespace {

// A sprite with a hit mask made from its image's first frame, as buttons
// and clickable game objects are.
class MaskedSprite : public Sprite, public iHitMask {
public:
    explicit MaskedSprite(AbstractProperty* data) : Sprite(data), iHitMask(data) {}
    MaskedSprite(Image* image, int threshold) : Sprite(0.0f, 0.0f, image), iHitMask(nullptr) {
        SetHitMaskThreshold(threshold);
    }
    const RTTI& GetRTTI() const override { return Sprite::GetRTTI(); }
    BaseObject* QueryBaseObject() override { return this; }
    ImageFrame* GetHitMaskFrame() override { return GetImage() ? GetImage()->GetFrame() : nullptr; }
};

// frames of width x height, the alphas given row by row for each frame side
// by side; every pixel is white.
SmartPtr<Image> MakeImage(int width, int height, const std::vector<int>& alphas, int frames = 1) {
    auto* data = new ImageDataOpenGL(width * frames, height, width * frames, height, true);
    data->Lock(false);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width * frames; ++x)
            *data->GetPixelData<uint32_t>(x, y) = static_cast<uint32_t>(alphas[y * width * frames + x]) << 24 | 0xFFFFFF;
    }
    data->Unlock();
    return SmartPtr<Image>(new Image(data, frames, frames));
}

// A 3 x 3 frame with alphas from 0 to 255.
const std::vector<int> kAlphas = {0, 1, 127,  //
                                  128, 254, 255,  //
                                  255, 0, 64};

bool Hit(iHitMask& mask, float x, float y) { return mask.IsInsideMask(Point_t<float>(x, y)); }

// Which of the 3 x 3 pixels answer inside, row by row.
std::string Pattern(iHitMask& mask) {
    std::string bits;
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x)
            bits += Hit(mask, x + 0.5f, y + 0.5f) ? '1' : '0';
    }
    return bits;
}

TEST(HitMask, ThresholdDecidesWhichPixelsCount) {
    SmartPtr<Image> image = MakeImage(3, 3, kAlphas);
    struct Case {
        int threshold;
        const char* pattern;
    };
    const Case cases[] = {
        {-1, "000000000"},  // no mask is made from the frame
        {0, "111111111"},   // every pixel, even fully transparent ones
        {1, "011111101"},
        {128, "000111100"},  // 127 is out, 128 is in
        {255, "000001100"},  // only fully opaque pixels
    };
    for (const Case& c : cases) {
        SmartPtr<MaskedSprite> sprite(new MaskedSprite(image, c.threshold));
        EXPECT_EQ(Pattern(*sprite), c.pattern) << "threshold " << c.threshold;
        EXPECT_EQ(sprite->GetHitMask() != nullptr, c.threshold >= 0);
    }
}

TEST(HitMask, PointsAreTruncatedAndBoundedByTheMask) {
    SmartPtr<Image> image = MakeImage(3, 3, std::vector<int>(9, 255));
    SmartPtr<MaskedSprite> sprite(new MaskedSprite(image, 128));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        float x, y;
        bool inside;
    };
    const Case cases[] = {
        {-0.5f, 1.0f, true},  // truncates to column 0
        {-1.0f, 1.0f, false},
        {1.0f, -0.99f, true},
        {1.0f, -1.0f, false},
        {2.999f, 2.999f, true},
        {3.0f, 1.0f, false},  // exactly the width
        {1.0f, 3.0f, false},
        {1e30f, 1.0f, false},
        {-1e30f, 1.0f, false},
        {nan, 1.0f, false},
        {1.0f, nan, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Hit(*sprite, c.x, c.y), c.inside) << c.x << ", " << c.y;
}

TEST(HitMask, BitsArePackedWithoutRowPaddingMostSignificantFirst) {
    std::vector<int> alphas(9, 0);
    alphas[8] = 255;  // the ninth pixel
    SmartPtr<Image> image = MakeImage(3, 3, alphas);
    SmartPtr<Mask> mask(new Mask(image->GetFrame(), MASKTYPE_BIT, 128));
    ASSERT_TRUE(mask->IsFinished());
    EXPECT_TRUE(mask->IsBitMask());
    ASSERT_EQ(mask->GetData().size(), 2u);
    EXPECT_EQ(mask->GetData()[0], 0x00);
    EXPECT_EQ(mask->GetData()[1], 0x80);

    alphas = std::vector<int>(9, 0);
    alphas[0] = 200;
    SmartPtr<Mask> first(new Mask(MakeImage(3, 3, alphas)->GetFrame(), MASKTYPE_BIT, 128));
    EXPECT_EQ(first->GetData()[0], 0x80) << "(0, 0) is the top bit of the first byte";
}

TEST(HitMask, FrameMasksComeFromTheFramesOwnPixelsAndAreKept) {
    // Two frames side by side: the first transparent, the second opaque.
    std::vector<int> alphas;
    for (int y = 0; y < 2; ++y)
        alphas.insert(alphas.end(), {0, 0, 255, 255});
    SmartPtr<Image> strip = MakeImage(2, 2, alphas, 2);
    ASSERT_EQ(strip->GetFrameCount(), 2);

    class SecondFrame : public MaskedSprite {
    public:
        using MaskedSprite::MaskedSprite;
        ImageFrame* GetHitMaskFrame() override { return GetImage() ? GetImage()->GetFrame(1) : nullptr; }
    };
    SmartPtr<SecondFrame> sprite(new SecondFrame(strip, 128));
    EXPECT_TRUE(Hit(*sprite, 1.0f, 1.0f));
    Mask* made = sprite->GetHitMask();
    ASSERT_NE(made, nullptr);

    // A new picture does not renew the mask.
    sprite->SetImage(MakeImage(2, 2, std::vector<int>(4, 0)));
    EXPECT_TRUE(Hit(*sprite, 1.0f, 1.0f));
    EXPECT_EQ(sprite->GetHitMask(), made);

    // Without a frame there is nothing to build from.
    SmartPtr<MaskedSprite> bare(new MaskedSprite(nullptr, 0));
    EXPECT_FALSE(Hit(*bare, 0.0f, 0.0f));
    EXPECT_EQ(bare->GetHitMask(), nullptr);
}

// Mask resources by name, as the resource manager would hand them out.
struct FakeMasks {
    static inline SmartPtr<BaseObject> payload;
    static inline std::vector<std::string> asked;
    static BaseObject* Get(const std::string& name, const std::string& section) {
        std::string key = section;
        key.append("/").append(name);
        asked.push_back(key);
        return payload.Get();
    }
};

class HitMaskResource : public ::testing::Test {
protected:
    void SetUp() override {
        FakeMasks::asked.clear();
        ResourceLookup::SetResourceSource(&FakeMasks::Get);
    }
    void TearDown() override {
        ResourceLookup::SetResourceSource(nullptr);
        FakeMasks::payload = nullptr;
    }

    static SmartPtr<MaskedSprite> FromXml(const std::string& attributes) {
        SmartPtr<PropertyStore> store(new PropertyStore);
        EXPECT_TRUE(store->ParseFromBuffer(("<root><Button id=\"b\" " + attributes + "/></root>").c_str()));
        return SmartPtr<MaskedSprite>(new MaskedSprite(store->GetChild(0)));
    }
};

TEST_F(HitMaskResource, AnAlphaMaskResourceIsTurnedIntoBitsOnce) {
    // Alphas 10, 100, 200, 250 in a 2 x 2 mask.
    FakeMasks::payload = new Mask(2, 2, {10, 100, 200, 250});
    SmartPtr<MaskedSprite> sprite = FromXml("hitmask=\"HIT\" section=\"ui\" hitmaskthreshold=\"150\"");
    EXPECT_EQ(FakeMasks::asked, std::vector<std::string>{"ui/HIT"});
    ASSERT_EQ(sprite->GetHitMask(), FakeMasks::payload.Get());
    EXPECT_EQ(sprite->GetHitMaskThreshold(), 150);
    EXPECT_FALSE(sprite->GetHitMask()->IsBitMask());

    EXPECT_FALSE(Hit(*sprite, 1.0f, 0.0f));
    EXPECT_TRUE(Hit(*sprite, 0.0f, 1.0f));
    EXPECT_TRUE(sprite->GetHitMask()->IsBitMask());
    EXPECT_EQ(sprite->GetHitMask()->GetThreshold(), 150);
    EXPECT_EQ(FakeMasks::payload->GetRefCount(), 2);
    sprite = nullptr;
    EXPECT_EQ(FakeMasks::payload->GetRefCount(), 1) << "the hit mask lets go of its mask";
}

TEST_F(HitMaskResource, AMaskResourceWithoutAThresholdKeepsItsOwn) {
    FakeMasks::payload = new Mask(2, 2, {10, 100, 200, 250});  // threshold 128
    SmartPtr<MaskedSprite> sprite = FromXml("hitmask=\"HIT\"");
    EXPECT_EQ(FakeMasks::asked, std::vector<std::string>{"/HIT"}) << "no section: an empty name";
    EXPECT_FALSE(Hit(*sprite, 1.0f, 0.0f));
    EXPECT_TRUE(Hit(*sprite, 0.0f, 1.0f));
}

TEST_F(HitMaskResource, AResourceThatIsNoMaskLeavesTheFrameToDecide) {
    FakeMasks::payload = new PolygonF();
    SmartPtr<MaskedSprite> sprite = FromXml("hitmask=\"HIT\" section=\"ui\"");
    EXPECT_EQ(sprite->GetHitMask(), nullptr);
    EXPECT_FALSE(Hit(*sprite, 0.0f, 0.0f)) << "no threshold, no frame: nothing is inside";

    FakeMasks::payload = nullptr;
    SmartPtr<MaskedSprite> missing = FromXml("hitmask=\"NONE\" hitmaskthreshold=\"0\"");
    EXPECT_EQ(missing->GetHitMask(), nullptr);
    missing->SetImage(MakeImage(3, 3, kAlphas));
    EXPECT_EQ(Pattern(*missing), "111111111");
}

TEST(HitMask, SettingAMaskCountsReferences) {
    SmartPtr<Mask> a(new Mask(1, 1, {255}));
    SmartPtr<Mask> b(new Mask(1, 1, {0}));
    {
        SmartPtr<MaskedSprite> sprite(new MaskedSprite(nullptr, -1));
        sprite->SetHitMask(a);
        EXPECT_EQ(a->GetRefCount(), 2);
        EXPECT_TRUE(Hit(*sprite, 0.0f, 0.0f)) << "a given mask answers even without a threshold";
        sprite->SetHitMask(b);
        EXPECT_EQ(a->GetRefCount(), 1);
        EXPECT_EQ(b->GetRefCount(), 2);
        EXPECT_FALSE(Hit(*sprite, 0.0f, 0.0f));
    }
    EXPECT_EQ(b->GetRefCount(), 1);
}

}  // namespace
