#include "engine/graphics/FontLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/ZQVector.h"
#include "engine/graphics/FontDrawSettings.h"

using namespace ZQ2;

namespace {

// Short texts live inside the string object itself, long ones on the heap:
// a vector that moved lines byte for byte would leave the short ones
// pointing into freed storage.
FontLine Line(int i) {
    std::string text = "line " + std::to_string(i);
    if (i % 3 == 0)
        text += " that is long enough to leave the small-string buffer behind";
    if (i % 5 == 0)
        text += " \xE2\x80\x9Cquoted\xE2\x80\x9D";
    return FontLine(text, static_cast<float>(i), Point_t<float>(static_cast<float>(i), 2.0f * i));
}

void ExpectSame(const ZQVector<FontLine>& lines, const std::vector<FontLine>& model) {
    ASSERT_EQ(lines.size(), static_cast<int>(model.size()));
    for (int i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i], model[static_cast<size_t>(i)]) << "line " << i;
        // The character count is cached inside the text: it must travel too.
        EXPECT_EQ(lines[i].GetText().Length(), model[static_cast<size_t>(i)].GetText().Length()) << "line " << i;
    }
}

}  // namespace

TEST(FontLineVector, LinesSurviveGrowingErasingAndInserting) {
    ZQVector<FontLine> lines;
    std::vector<FontLine> model;
    for (int i = 0; i < 100; ++i) {
        lines.push_back(Line(i));
        model.push_back(Line(i));
    }
    ExpectSame(lines, model);

    // From the middle (tail moved down), the front (fresh buffer) and the
    // back.
    lines.erase(lines.begin() + 40, lines.begin() + 45);
    model.erase(model.begin() + 40, model.begin() + 45);
    lines.erase(lines.begin(), lines.begin() + 3);
    model.erase(model.begin(), model.begin() + 3);
    lines.erase(lines.begin() + 80, lines.begin() + 85);
    model.erase(model.begin() + 80, model.begin() + 85);
    lines.pop_back();
    model.pop_back();
    ExpectSame(lines, model);

    // A block into the middle, to the front, past the end and one that
    // outgrows the buffer.
    const FontLine block[] = {Line(200), Line(201), Line(202)};
    lines.insert(lines.begin() + 10, block, block + 3);
    model.insert(model.begin() + 10, block, block + 3);
    lines.push_front(Line(300));
    model.insert(model.begin(), Line(300));
    lines.insert(lines.end(), block, block + 2);
    model.insert(model.end(), block, block + 2);
    std::vector<FontLine> many;
    for (int i = 400; i < 600; ++i)
        many.push_back(Line(i));
    lines.insert(lines.begin() + 5, many.data(), many.data() + many.size());
    model.insert(model.begin() + 5, many.begin(), many.end());
    ExpectSame(lines, model);

    // An element of the vector itself pushed while the buffer must move.
    while (lines.size() < lines.capacity()) {
        lines.push_back(Line(7));
        model.push_back(Line(7));
    }
    lines.push_back(lines[3]);
    model.push_back(model[3]);
    ExpectSame(lines, model);

    lines.reverse();
    std::vector<FontLine> reversed(model.rbegin(), model.rend());
    ExpectSame(lines, reversed);

    ZQVector<FontLine> copy(lines);
    lines.resize(4);
    reversed.resize(4);
    ExpectSame(lines, reversed);
    ExpectSame(copy, std::vector<FontLine>(model.rbegin(), model.rend()));
    copy = lines;
    ExpectSame(copy, reversed);
}

TEST(FontLineVector, DrawSettingsCopyTheirLinesAndColours) {
    FontDrawSettings settings;
    for (int i = 0; i < 40; ++i)
        settings.AddLine(Line(i));
    settings.SetLayerColor(2, 0x123456);
    settings.SetLayerColor(FontDrawSettings::MAX_LAYERS, 1);
    settings.SetLayerColor(-1, 1);
    settings.SetCharSpacing(1.5f);
    EXPECT_EQ(settings.GetLayerColors().size(), 3);
    EXPECT_TRUE(settings.HasLayerColor(0));
    EXPECT_EQ(settings.GetLayerColor(0), 0);
    EXPECT_EQ(settings.GetLayerColor(2), 0x123456);
    EXPECT_FALSE(settings.HasLayerColor(3));

    FontDrawSettings copy(settings);
    settings.GetLines().erase(settings.GetLines().begin(), settings.GetLines().begin() + 39);
    ASSERT_EQ(copy.GetLines().size(), 40);
    EXPECT_EQ(copy.GetLines()[39], Line(39));
    EXPECT_EQ(settings.GetLines()[0], Line(39));
    EXPECT_FLOAT_EQ(copy.GetCharSpacing(), 1.5f);
}
