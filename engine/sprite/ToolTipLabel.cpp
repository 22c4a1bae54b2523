#include "engine/sprite/ToolTipLabel.h"

#include "engine/graphics/Graphics.h"
#include "engine/io/AbstractProperty.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "engine/resource/ResourceImage.h"

namespace ZQ2 {

const RTTI* const ToolTipLabel::rttis[] = {&Label::rtti, nullptr};
const RTTI ToolTipLabel::rtti("ToolTipLabel", ToolTipLabel::rttis);

ObjectInitializer ToolTipLabel::m_ObjectInitializer("ToolTipLabel", &ToolTipLabel::OnData);

const char* const PROP_BACKGROUND_COLOR = "backgroundcolor";
const char* const PROP_BORDER_COLOR = "bordercolor";
const char* const PROP_MAX_WIDTH = "maxwidth";

ToolTipLabel::ToolTipLabel(AbstractProperty* data) : Label(data), m_fToolTipMaxWidth(GetMaxWidth()) {
    if (data)
        SetProperties(data->ToNode());
}

ToolTipLabel::ToolTipLabel(Font* font, float x, float y, float width, float height, eTextWrapStyle wrapStyle)
    : Label(font, x, y, width, height, wrapStyle), m_fToolTipMaxWidth(GetMaxWidth()) {}

ToolTipLabel::~ToolTipLabel() = default;

BaseObject* ToolTipLabel::OnData(AbstractProperty* data) { return new ToolTipLabel(data); }

void ToolTipLabel::SetProperties(PropertyNode* data) {
    if (!data)
        return;
    if (data->HasProperty(PROP_BACKGROUND_COLOR))
        m_nBackgroundColor = data->GetValue(PROP_BACKGROUND_COLOR)->ToInt();
    if (data->HasProperty(PROP_BORDER_COLOR))
        m_nBorderColor = data->GetValue(PROP_BORDER_COLOR)->ToInt();
    if (data->HasProperty(PROP_PADDING))
        m_fPadding = data->GetValue(PROP_PADDING)->ToFloat();
    if (data->HasProperty(PROP_MAX_WIDTH))
        m_fToolTipMaxWidth = data->GetValue(PROP_MAX_WIDTH)->ToFloat();
    if (GetMaxWidth() > 0.0f && m_fToolTipMaxWidth != 0.0f)
        SetWrapStyle(TEXTWRAP_WORDWRAP);
}

void ToolTipLabel::SetBoxColors(int background, int border) {
    m_nBackgroundColor = background;
    m_nBorderColor = border;
}

void ToolTipLabel::SetToolTipText(const std::string& text) {
    if (!(m_fToolTipMaxWidth > 0.0f)) {
        SetText(text);
        return;
    }
    SetMaxWidth(m_fToolTipMaxWidth);
    SetText(text);
    Update();
    SetMaxWidth(GetTextBounds().width);
}

void ToolTipLabel::Render(Graphics* graphics) {
    Update();
    graphics->ResetSettings();
    graphics->SetAlpha(GetAlpha());
    graphics->PushTranslation(GetLeft(), GetTop());
    const float width = GetWidth();
    const float height = GetHeight();
    graphics->SetColor(m_nBorderColor);
    graphics->FillRect(Rectangle_t<float>(-m_fPadding, -m_fPadding, width + 2.0f * m_fPadding,
                                          height + 2.0f * m_fPadding));
    graphics->SetColor(m_nBackgroundColor);
    graphics->FillRect(Rectangle_t<float>(1.0f - m_fPadding, 1.0f - m_fPadding, width + 2.0f * m_fPadding - 2.0f,
                                          height + 2.0f * m_fPadding - 2.0f));
    graphics->PopTransformation();
    Label::Render(graphics);
}

}  // namespace ZQ2
