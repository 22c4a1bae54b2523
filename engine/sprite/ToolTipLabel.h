#pragma once
// The label that shows tooltip texts: a bordered, padded box behind its
// text, narrowed to the wrapped text's width.
#include "engine/io/ObjectInitializer.h"
#include "engine/sprite/Label.h"

namespace ZQ2 {

extern const char* const PROP_BACKGROUND_COLOR;
extern const char* const PROP_BORDER_COLOR;
extern const char* const PROP_MAX_WIDTH;

class ToolTipLabel : public Label {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    explicit ToolTipLabel(AbstractProperty* data);
    ToolTipLabel(Font* font, float x, float y, float width, float height, eTextWrapStyle wrapStyle);
    ~ToolTipLabel() override;

    static BaseObject* OnData(AbstractProperty* data);
    static ObjectInitializer m_ObjectInitializer;

    const RTTI& GetRTTI() const override { return rtti; }

    void SetProperties(PropertyNode* data);

    // The tooltip's text is the label's text, wrapped at the max width and
    // then fitted to the widest line.
    void SetToolTipText(const std::string& text) override;
    void Render(Graphics* graphics) override;

    void SetBoxColors(int background, int border);
    int GetBoxBackgroundColor() const { return m_nBackgroundColor; }
    int GetBorderColor() const { return m_nBorderColor; }
    void SetPadding(float padding) { m_fPadding = padding; }
    float GetPadding() const { return m_fPadding; }
    void SetToolTipMaxWidth(float width) { m_fToolTipMaxWidth = width; }
    float GetToolTipMaxWidth() const { return m_fToolTipMaxWidth; }

private:
    int m_nBackgroundColor = 0xFFFFE1;
    int m_nBorderColor = 0;
    float m_fPadding = 3.0f;
    float m_fToolTipMaxWidth = 0.0f;
};

}  // namespace ZQ2
