#pragma once
// A font for layout tests: every character has a fixed advance (10 unless
// set), measures the same in every mode, and draws nothing but a record of
// the lines it was asked to draw.
#include <map>
#include <set>

#include "engine/graphics/Font.h"
#include "engine/graphics/FontCharPositions.h"
#include "engine/graphics/FontDrawSettings.h"

namespace SpriteTestSupport {

class FakeFont : public ZQ2::Font {
public:
    float Advance(unsigned long c) const {
        auto it = m_Widths.find(c);
        return it == m_Widths.end() ? m_fDefaultWidth : it->second;
    }

    void Render(ZQ2::Graphics*, const ZQ2::FontDrawSettings& settings) const override {
        ++m_nRenders;
        m_LastLines = settings.GetLines();
    }
    void GetCharacterDrawOffsets(const ZQ2::UTF8String&, ZQ2::FontCharPositions&, float, int, int) const override {}
    float GetStringWidth(const ZQ2::UTF8String& text, float spacing, ZQ2::eFontWidth, int start,
                         int count) const override {
        const int length = text.Length();
        const int end = count < 0 ? length : std::min(length, start + count);
        float width = 0.0f;
        for (int i = start; i < end; ++i)
            width += Advance(text.GetCharacter(i)) + spacing;
        return width;
    }
    bool HasCharacter(unsigned long c) const override { return !m_Missing.count(c); }
    bool UseKerning() const override { return false; }
    void SetUseKerning(bool) override {}
    bool HasKerning() const override { return false; }
    float GetCharHeight() const override { return m_fCharHeight; }
    float GetBaseLine() const override { return 16.0f; }
    float GetCharSpacing() const override { return 0.0f; }
    float GetLineHeight() const override { return m_fLineHeight; }
    int GetMatteColor() const override { return m_nMatte; }
    bool UsingMatteColor() const override { return m_bUseMatte; }
    int GetLayerCount() const override { return 1; }
    float GetPadding() const override { return m_fPadding; }

    std::map<unsigned long, float> m_Widths;
    std::set<unsigned long> m_Missing;
    float m_fDefaultWidth = 10.0f;
    float m_fCharHeight = 20.0f;
    float m_fLineHeight = 24.0f;
    float m_fPadding = 0.0f;
    int m_nMatte = 0x123456;
    bool m_bUseMatte = false;
    mutable int m_nRenders = 0;
    mutable ZQ2::ZQVector<ZQ2::FontLine> m_LastLines;
};

}  // namespace SpriteTestSupport
