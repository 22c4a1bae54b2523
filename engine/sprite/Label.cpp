#include "engine/sprite/Label.h"

#include <lua.hpp>

#include <algorithm>
#include <cmath>

#include "engine/core/Utils.h"
#include "engine/graphics/Graphics.h"
#include "engine/graphics/Image.h"
#include "engine/graphics/Renderer.h"
#include "engine/io/AbstractProperty.h"
#include "engine/io/BasicProperties.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyStore.h"
#include "engine/io/PropertyValue.h"
#include "engine/resource/ResourceFont.h"
#include "engine/modifier/ModifierMethodParamRef.h"
#include "engine/script/Lua.h"
#include "engine/sprite/ResourceLookup.h"

namespace ZQ2 {

const RTTI* const Label::rttis[] = {&Sprite::rtti, nullptr};
const RTTI Label::rtti("Label", Label::rttis);

ObjectInitializer Label::m_ObjectInitializer("Label", &Label::OnData);

const char* const Label::g_NewLine = "\n";
const char* const Label::g_DotDotDotString = "...";
const char* const Label::g_EllipsisString = "\xE2\x80\xA6";

const char* const PROP_WRAPSTYLE = "wrapstyle";
const char* const PROP_PADSTYLE = "padstyle";
const char* const PROP_ALIGNH = "alignh";
const char* const PROP_AUTOFITHEIGHT = "autofitheight";
const char* const PROP_LINEHEIGHT = "lineheight";
const char* const PROP_CHARSPACING = "charspacing";
const char* const PROP_TEXTID = "textid";
const char* const PROP_TEXT = "text";
const char* const PROP_VALUE = "value";

const std::string g_WrapStyleKeywords[3] = {"autowidth", "wordwrap", "truncate"};
const std::string g_AlignHKeywords[3] = {"left", "center", "right"};
const std::string g_PaddingStyleKeywords[2] = {"offset", "none"};

namespace {

const char* const kLabelMetatable = "xov.Label";
const char* const kSpriteMetatable = "xov.Sprite";
const char* const kNodeMetatable = "xov.GameNode";
const char* const kLabelClassTable = "Label";
constexpr unsigned long kEllipsis = 0x2026;
constexpr float kMaxBoxSize = 1024.0f;

// Blanks that a wrapped line's remainder sheds at its start.
bool IsLeadingBlank(unsigned long c) { return c == ' ' || c == '\t' || c == 0x2002 || c == 0x00A0; }

UTF8String TrimLeadingBlanks(const UTF8String& text) {
    int first = 0;
    const int length = text.Length();
    while (first < length && IsLeadingBlank(text.GetCharacter(first)))
        ++first;
    return first == 0 ? text : text.SubString(first);
}

// The pieces between newlines; empty pieces are lines, except after the last
// newline.
ZQVector<UTF8String> Paragraphs(const UTF8String& text) {
    ZQVector<UTF8String> pieces;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            if (start < text.size())
                pieces.push_back(UTF8String(text.substr(start)));
            return pieces;
        }
        pieces.push_back(UTF8String(text.substr(start, end - start)));
        start = end + 1;
    }
}

// The padding direction of the nine named anchors, by anchor value.
constexpr int kPaddingSign[9][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {0, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};

int EnumOf(PropertyNode* data, const char* key, const std::string* names, int count) {
    return PropertyStore::ParameterToInt(data, key, names, count, -1);
}

// ---- Lua face

Label* CheckLabel(lua_State* L, int most) {
    GameNode* node = GameNode::CheckLuaNode(L, 1);
    Label* label = DynamicCast<Label>(node);
    if (!label)
        luaL_argerror(L, 1, "not a Label");
    if (lua_gettop(L) > most)
        luaL_argerror(L, most + 1, "too many arguments");
    return label;
}

int glue_text(lua_State* L) {
    const Label* label = CheckLabel(L, 1);
    const UTF8String& text = label->GetText();
    lua_pushlstring(L, text.data(), text.size());
    return 1;
}

int glue_setText(lua_State* L) {
    Label* label = CheckLabel(L, 2);
    size_t size = 0;
    const char* text = luaL_checklstring(L, 2, &size);
    label->SetText(std::string(text, size));
    return 1;
}

const luaL_Reg kLabelMethods[] = {{"text", glue_text}, {"setText", glue_setText}, {nullptr, nullptr}};

}  // namespace

Label::Label(AbstractProperty* data) : Sprite(data) {
    Init();
    if (data)
        SetProperties(data->ToNode());
}

Label::Label(Font* font, float x, float y, float width, float height, eTextWrapStyle wrapStyle)
    : Sprite(x, y, width, height), m_pFont(font), m_eWrapStyle(wrapStyle) {
    Init();
}

Label::~Label() = default;

BaseObject* Label::OnData(AbstractProperty* data) { return new Label(data); }

void Label::Init() {
    m_fMaxWidth = GetWidth();
    m_fMaxHeight = GetHeight();
    m_bTextDirty = true;
    InitializeLuaClass();
}

void Label::InitializeLuaClass() {
    lua_State* L = Lua::g_Instance ? Lua::g_Instance->GetState() : nullptr;
    if (!L)
        return;
    // Sprites have no script class of their own yet; the label then takes
    // the node's methods directly.
    luaL_getmetatable(L, kSpriteMetatable);
    const bool spriteClass = lua_istable(L, -1);
    lua_pop(L, 1);
    SetupMetatableForObject(kLabelMetatable, spriteClass ? kSpriteMetatable : kNodeMetatable, nullptr,
                            kLabelClassTable, kLabelMethods);
}

std::string Label::ToString() const { return Sprite::ToString() + "\"" + m_strText + "\"; "; }

std::string Label::ToStringShort() const { return GameNode::ToStringShort() + "\"" + m_strText + "\"; "; }

void Label::SetProperties(PropertyNode* data) {
    if (!data)
        return;
    if (data->HasProperty(PROP_FONT) && data->HasProperty(PROP_SECTION)) {
        BaseObject* resource =
            ResourceLookup::GetResource(data->GetPropString(PROP_FONT), data->GetPropString(PROP_SECTION));
        SetFont(DynamicCast<Font>(resource));
    }
    for (int layer = 0;; ++layer) {
        const std::string key = PROP_COLOR + std::to_string(layer);
        if (!data->HasProperty(key))
            break;
        SetLayerColor(data->GetValue(key)->ToInt(), layer);
    }
    if (data->HasProperty(PROP_WRAPSTYLE))
        SetWrapStyle(static_cast<eTextWrapStyle>(EnumOf(data, PROP_WRAPSTYLE, g_WrapStyleKeywords, 3)));
    if (data->HasProperty(PROP_PADSTYLE))
        SetPaddingStyle(static_cast<ePaddingStyle>(EnumOf(data, PROP_PADSTYLE, g_PaddingStyleKeywords, 2)));
    if (data->HasProperty(PROP_ALIGNH))
        SetAlignH(static_cast<eAlignH>(EnumOf(data, PROP_ALIGNH, g_AlignHKeywords, 3)));
    if (data->HasProperty(PROP_AUTOFITHEIGHT))
        SetAutoFitHeight(data->GetValue(PROP_AUTOFITHEIGHT)->ToBoolean());
    if (data->HasProperty(PROP_LINEHEIGHT))
        SetLineHeight(data->GetValue(PROP_LINEHEIGHT)->ToFloat());
    if (data->HasProperty(PROP_CHARSPACING))
        SetExtraCharSpacing(data->GetValue(PROP_CHARSPACING)->ToFloat());
    const std::string textId = data->GetPropString(PROP_TEXTID);
    if (!textId.empty()) {
        SetText(BasicProperties::GetString(textId));
        return;
    }
    const std::string text = data->GetPropString(PROP_TEXT);
    if (!text.empty()) {
        SetText(text);
        return;
    }
    if (data->HasProperty(PROP_VALUE))
        SetText(data->GetPropString(PROP_VALUE));
}

// ---- settings

void Label::SetAlignH(eAlignH align) {
    if (align == m_eAlignH)
        return;
    m_eAlignH = align;
    MarkDirty();
}

void Label::SetLineHeight(float height) {
    if (height == m_fLineHeight)
        return;
    m_fLineHeight = height;
    MarkDirty();
}

float Label::GetLineHeight() const {
    if (m_pFont && m_fLineHeight < 0.0f)
        return m_pFont->GetLineHeight();
    return m_fLineHeight;
}

void Label::SetExtraCharSpacing(float spacing) {
    if (spacing == m_DrawSettings.GetCharSpacing())
        return;
    m_DrawSettings.SetCharSpacing(spacing);
    MarkDirty();
}

void Label::SetPaddingStyle(ePaddingStyle style) {
    if (style == m_ePaddingStyle)
        return;
    m_ePaddingStyle = style;
    MarkDirty();
}

void Label::SetWrapStyle(eTextWrapStyle style) {
    if (style == m_eWrapStyle)
        return;
    m_eWrapStyle = style;
    MarkDirty();
}

void Label::SetAutoFitHeight(bool fit) {
    if (fit == m_bAutoFitHeight)
        return;
    m_bAutoFitHeight = fit;
    MarkDirty();
}

void Label::SetImageMode(bool imageMode) {
    if (imageMode == m_bImageMode)
        return;
    m_bImageMode = imageMode;
    MarkDirty();
}

void Label::SetMaxWidth(float width) {
    if (width == GetMaxWidth())
        return;
    m_fMaxWidth = width;
    MarkDirty();
}

void Label::SetMaxHeight(float height) {
    if (height == GetMaxHeight())
        return;
    m_fMaxHeight = height;
    MarkDirty();
}

void Label::SetAnchorPoint(float x, float y) {
    if (GetAnchorPoint() == AnchorPoint(x, y))
        return;
    Sprite::SetAnchorPoint(x, y);
    MarkDirty();
}

void Label::SetAnchorPoint(const AnchorPoint& anchor) {
    if (GetAnchorPoint() == anchor)
        return;
    Sprite::SetAnchorPoint(anchor);
    MarkDirty();
}

void Label::SetAnchorPoint(eAnchorPoint type) {
    if (GetAnchorPoint().GetType() == type)
        return;
    Sprite::SetAnchorPoint(type);
    MarkDirty();
}

void Label::SetFont(Font* font) {
    m_pFont = font;
    MarkDirty();
}

void Label::SetLayerColor(int color, int layer) {
    if (layer < 0 || layer >= FontDrawSettings::MAX_LAYERS)
        return;
    const int old = GetColor(layer);
    if (old == color)
        return;
    m_DrawSettings.SetLayerColor(layer, color);
    MarkDirty();
}

int Label::GetColor(int layer) {
    if (layer < 0 || layer >= FontDrawSettings::MAX_LAYERS)
        return 0;
    if (!m_DrawSettings.HasLayerColor(layer))
        m_DrawSettings.SetLayerColor(layer, 0);
    return m_DrawSettings.GetLayerColor(layer);
}

int Label::GetBackgroundColor() const {
    const bool colorSet = m_DrawSettings.HasLayerColor(0);
    if (!m_pFont)
        return colorSet ? m_DrawSettings.GetLayerColor(0) : 0;
    if (!m_pFont->UsingMatteColor() && colorSet)
        return m_DrawSettings.GetLayerColor(0);
    return m_pFont->GetMatteColor();
}

void Label::SetText(const std::string& text) {
    UTF8String replaced(text);
    replaced.Replace("\\n", g_NewLine);
    if (replaced == m_strText)
        return;
    m_strText = replaced;
    MarkDirty();
}

// ---- measuring

float Label::GetStringWidth(const std::string& text, eFontWidth kind, int start, int count) const {
    if (!m_pFont)
        return 0.0f;
    return m_pFont->GetStringWidth(UTF8String(text), m_DrawSettings.GetCharSpacing(), kind, start, count);
}

float Label::GetMaxStringWidth() const {
    float widest = 0.0f;
    for (const FontLine& line : m_DrawSettings.GetLines())
        widest = std::max(widest, line.GetWidth());
    return widest;
}

// ---- layout

void Label::Update() {
    if (!m_bTextDirty)
        return;
    if (!m_pFont) {
        SetImage(nullptr);
        m_TextBounds = Rectangle_t<float>(0.0f, 0.0f, 0.0f, 0.0f);
        m_bTextDirty = false;
        m_bChanged = true;
        return;
    }
    UpdatePositions();
    // A box without width shows nothing, drawn directly or as an image.
    if (m_eWrapStyle != TEXTWRAP_AUTOWIDTH && GetMaxWidth() <= 0.0f) {
        m_DrawSettings.GetLines().clear();
        SetImage(nullptr);
        m_bTextDirty = false;
        return;
    }
    m_bTextDirty = !SizeBox();
}

void Label::UpdatePositions() {
    m_DrawSettings.GetLines().clear();
    for (const UTF8String& paragraph : Paragraphs(m_strText)) {
        switch (m_eWrapStyle) {
        case TEXTWRAP_AUTOWIDTH:
            AddLine(paragraph);
            break;
        case TEXTWRAP_WORDWRAP:
            WordWrap(paragraph);
            break;
        case TEXTWRAP_TRUNCATE:
            Truncate(paragraph);
            break;
        default:
            break;
        }
    }
    PositionLines();
}

void Label::AddLine(const UTF8String& text) { m_DrawSettings.AddLine(FontLine(text, 0.0f, Point_t<float>(0, 0))); }

void Label::WordWrap(const UTF8String& paragraph) {
    const float maxWidth = GetMaxWidth();
    auto fits = [&](const UTF8String& s, int count) { return GetStringWidth(s, FONTWIDTH_BOX, 0, count) <= maxWidth; };
    if (paragraph.empty() || fits(paragraph, -1)) {
        AddLine(paragraph);
        return;
    }
    UTF8String rest = paragraph;
    for (;;) {
        if (fits(rest, -1)) {
            rest = TrimLeadingBlanks(rest);
            if (!rest.empty())
                AddLine(rest);
            return;
        }
        const int length = rest.Length();
        int breakAt = 1;
        bool found = false;
        for (int i = 1; i <= length; ++i) {
            if (!fits(rest, i)) {
                if (found)
                    break;
                while (i >= 2 && !fits(rest, i))
                    --i;
                breakAt = std::max(i, 1);
                break;
            }
            if (i >= length)
                continue;
            const unsigned long next = rest.GetCharacter(i);
            if (Utils::IsBreakingWhitespace(next)) {
                breakAt = i;
                found = true;
            } else if (next == '-') {
                const bool minusSign = i + 1 < length && rest.GetCharacter(i + 1) >= '0' && rest.GetCharacter(i + 1) <= '9';
                if (!minusSign) {
                    breakAt = i + 1;
                    found = true;
                }
            }
        }
        AddLine(rest.SubString(0, breakAt));
        if (length <= breakAt)
            return;
        rest = TrimLeadingBlanks(rest.SubString(breakAt));
    }
}

void Label::Truncate(const UTF8String& paragraph) {
    const float maxWidth = GetMaxWidth();
    if (paragraph.empty() || GetStringWidth(paragraph, FONTWIDTH_BOX, 0, -1) <= maxWidth) {
        AddLine(paragraph);
        return;
    }
    const char* ellipsis = m_pFont->HasCharacter(kEllipsis) ? g_EllipsisString : g_DotDotDotString;
    const int length = paragraph.Length();
    UTF8String best;
    for (int n = 1; n <= length; ++n) {
        while (n <= length && Utils::IsSpace(paragraph.GetCharacter(n - 1)))
            ++n;
        if (n > length)
            break;
        const UTF8String candidate = paragraph.SubString(0, n) + ellipsis;
        if (GetStringWidth(candidate, FONTWIDTH_BOX, 0, -1) > maxWidth)
            break;
        best = candidate;
    }
    AddLine(best);
}

void Label::PositionLines() {
    ZQVector<FontLine>& lines = m_DrawSettings.GetLines();
    const float lineHeight = GetLineHeight();
    const float textHeight = lineHeight * static_cast<float>(lines.size() - 1) + m_pFont->GetCharHeight();
    float widest = 0.0f;
    for (int k = 0; k < lines.size(); ++k) {
        FontLine& line = lines[k];
        line.SetWidth(GetStringWidth(line.GetText(), FONTWIDTH_BOX, 0, -1));
        line.SetPosition(0.0f, static_cast<float>(k) * lineHeight);
        widest = std::max(widest, line.GetWidth());
    }
    const bool roundDown = GetAnchorPoint().IsRoundDown();
    for (FontLine& line : lines) {
        float x = 0.0f;
        if (m_eAlignH == ALIGNH_CENTER)
            x = (widest - line.GetWidth()) * 0.5f;
        else if (m_eAlignH == ALIGNH_RIGHT)
            x = widest - line.GetWidth();
        float y = line.GetPosition().y;
        if (roundDown) {
            x = std::floor(x);
            y = std::floor(y);
        }
        line.SetPosition(x, y);
    }
    m_TextBounds.width = widest;
    m_TextBounds.height = textHeight;
    const int anchor = GetAnchorPoint().GetType();
    if (m_ePaddingStyle == PADDINGSTYLE_OFFSET && anchor >= ANCHOR_TOPLEFT && anchor <= ANCHOR_BOTTOMRIGHT) {
        const float padding = m_pFont->GetPadding();
        m_TextBounds.x = padding * static_cast<float>(kPaddingSign[anchor][0]);
        m_TextBounds.y = padding * static_cast<float>(kPaddingSign[anchor][1]);
    } else {
        m_TextBounds.x = 0.0f;
        m_TextBounds.y = 0.0f;
    }
    m_bChanged = true;
}

bool Label::SizeBox() {
    float width = m_TextBounds.width;
    if (m_eWrapStyle != TEXTWRAP_AUTOWIDTH && width > GetMaxWidth())
        width = GetMaxWidth();
    float height = m_TextBounds.height;
    if (!m_bAutoFitHeight && height > GetMaxHeight())
        height = GetMaxHeight();
    // A NaN size (from a NaN line height or box) is refused like an empty one.
    if (!(width > 0.0f) || !(height > 0.0f)) {
        SetImage(nullptr);
        return false;
    }
    width = std::min(width, kMaxBoxSize);
    height = std::min(height, kMaxBoxSize);
    SetDimension(std::ceil(width), std::ceil(height));
    if (!m_bImageMode)
        return true;
    return RenderIntoImage(static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height)));
}

bool Label::RenderIntoImage(int width, int height) {
    if (!Renderer::g_Instance)
        return false;
    SmartPtr<Image> image(Renderer::g_Instance->CreateImageUnmanaged(width, height, true, 1, 1));
    if (!image)
        return false;
    SetImage(image.Get());
    SmartPtr<Graphics> graphics(image->CreateGraphics());
    if (!graphics)
        return false;
    graphics->BeginBatch();
    graphics->SetColor(GetBackgroundColor());
    graphics->SetAlpha(0);
    graphics->Clear();
    graphics->SetBlendMode(BLENDMODE_BLEND_MAX_ALPHA);
    graphics->SetAlpha(255);
    m_pFont->Render(graphics.Get(), m_DrawSettings);
    return graphics->EndBatch();
}

void Label::Render(Graphics* graphics) {
    Update();
    if (m_bImageMode) {
        Sprite::Render(graphics);
        return;
    }
    if (!m_pFont || m_DrawSettings.GetLines().empty())
        return;
    graphics->SetSettings(*this);
    m_pFont->Render(graphics, m_DrawSettings);
    graphics->SetDrawnFlag(1);
    m_bChanged = false;
}

Modifier* Label::AddLuaAnimation(lua_State* L, int durationMs) {
    Modifier* last = Sprite::AddLuaAnimation(L, durationMs);
    if (!L || !lua_istable(L, -1))
        return last;
    lua_pushliteral(L, "text");
    lua_rawget(L, -2);
    size_t length = 0;
    const char* text = lua_isstring(L, -1) ? lua_tolstring(L, -1, &length) : nullptr;
    const std::string value = text ? std::string(text, length) : std::string();
    lua_pop(L, 1);
    if (!text)
        return last;
    Modifier* step = new ModifierMethodParamRef<Label, std::string>(this, &Label::SetText, value);
    if (Modifier* linked = AddLuaModifier(step, durationMs))
        last = linked;
    return last;
}

}  // namespace ZQ2
