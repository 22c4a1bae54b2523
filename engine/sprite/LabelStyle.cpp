#include "engine/sprite/LabelStyle.h"

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
#include "engine/sprite/Label.h"
#include "engine/sprite/ResourceLookup.h"
#include "engine/sprite/styleformat/StyleParser.h"

namespace ZQ2 {

const RTTI* const LabelStyle::rttis[] = {&Sprite::rtti, nullptr};
const RTTI LabelStyle::rtti("LabelStyle", LabelStyle::rttis);

ObjectInitializer LabelStyle::m_ObjectInitializer("LabelStyle", &LabelStyle::OnData);

namespace {

// The pen jump that leaves no room on a truncated line.
constexpr float kNoRoom = 99999.0f;
// Words pushed around pictures move right or down on every pass; this only
// bounds a box whose lines have no height at all.
constexpr int kMaxFlowPasses = 1000;

std::vector<unsigned long> Decode(const UTF8String& text) {
    std::vector<unsigned long> characters;
    const int length = text.Length();
    characters.reserve(static_cast<size_t>(length));
    for (int i = 0; i < length; ++i)
        characters.push_back(text.GetCharacter(i));
    return characters;
}

std::string Encode(const std::vector<unsigned long>& text, int start, int end) {
    std::string bytes;
    for (int i = start; i < end; ++i)
        bytes += UTF8String::ConvertUTF32CharacterToUTF8String(text[static_cast<size_t>(i)]);
    return bytes;
}

// The index of the first of the characters at or after from, or -1.
int FindAny(const std::vector<unsigned long>& text, int from, unsigned long a, unsigned long b) {
    for (int i = from; i < static_cast<int>(text.size()); ++i) {
        const unsigned long c = text[static_cast<size_t>(i)];
        if (c == a || c == b)
            return i;
    }
    return -1;
}

bool Overlaps(const Sprite& s, float x, float y, float width, float height) {
    return s.GetX() + s.GetWidth() > x && s.GetY() + s.GetHeight() > y && x + width > s.GetX() &&
           y + height > s.GetY();
}

}  // namespace

LabelStyle::LabelStyle(Font* font, float x, float y, float width, float height, eTextWrapStyle wrapStyle)
    : Sprite(x, y, width, height), m_pFont(font), m_eWrapStyle(wrapStyle) {}

LabelStyle::LabelStyle(AbstractProperty* data) : Sprite(data) {
    if (data)
        SetProperties(data->ToNode());
}

LabelStyle::~LabelStyle() = default;

BaseObject* LabelStyle::OnData(AbstractProperty* data) { return new LabelStyle(data); }

void LabelStyle::SetProperties(PropertyNode* data) {
    if (!data)
        return;
    if (data->HasProperty(PROP_FONT) && data->HasProperty(PROP_SECTION)) {
        SetFont(DynamicCast<Font>(
            ResourceLookup::GetResource(data->GetPropString(PROP_FONT), data->GetPropString(PROP_SECTION))));
    }
    if (data->HasProperty(PROP_WRAPSTYLE)) {
        m_eWrapStyle = static_cast<eTextWrapStyle>(
            PropertyStore::ParameterToInt(data, PROP_WRAPSTYLE, g_WrapStyleKeywords, 3, -1));
    }
    if (data->HasProperty(PROP_ALIGNH))
        m_eAlignH = static_cast<eAlignH>(PropertyStore::ParameterToInt(data, PROP_ALIGNH, g_AlignHKeywords, 3, -1));
    if (data->HasProperty(PROP_AUTOFITHEIGHT))
        m_bGrowBox = data->GetValue(PROP_AUTOFITHEIGHT)->ToBoolean();
    if (data->HasProperty(PROP_TEXT))
        SetText(data->GetPropString(PROP_TEXT));
    else if (data->HasProperty(PROP_VALUE))
        SetText(data->GetPropString(PROP_VALUE));
    else if (data->HasProperty(PROP_TEXTID))
        SetText(BasicProperties::GetString(data->GetPropString(PROP_TEXTID)));
}

void LabelStyle::SetFont(Font* font) { m_pFont = font; }

void LabelStyle::SetText(const std::string& text) {
    m_Images.clear();
    UTF8String replaced(text);
    replaced.Replace("\\n", Label::g_NewLine);
    if (replaced == m_strText)
        return;
    m_strText = replaced;
    Update();
}

void LabelStyle::Update() {
    CreateLineLabels();
    RenderToImage();
}

// ---- layout

void LabelStyle::CreateLineLabels() {
    const SmartPtr<Font> baseFont = m_pFont;
    const eAlignH baseAlignH = m_eAlignH;
    const int baseAlignV = m_nAlignV;
    const eTextWrapStyle baseWrapStyle = m_eWrapStyle;

    m_fPenX = m_fPenY = m_fLineHeight = 0.0f;
    m_fPendingLineHeight = m_fLineWidth = 0.0f;
    m_nScanIndex = m_nWordStart = 0;
    for (SmartPtr<TextLine>& line : m_Lines)
        line->clear();
    m_Lines.clear();
    m_pCurrentLine = new TextLine;

    std::vector<unsigned long> text = Decode(m_strText);
    ScanText(text);
    if (m_bGrowBox && m_fLineWidth > GetWidth())
        SetWidth(m_fLineWidth);
    const float textBottom = m_fPenY + (m_pFont ? m_pFont->GetCharHeight() : 0.0f);
    SetHeight(std::max(GetHeight(), textBottom));
    if (GetWidth() <= 0.0f)
        SetWidth(1.0f);
    if (GetHeight() <= 0.0f)
        SetHeight(1.0f);
    m_pCurrentLine = nullptr;

    // A tag left open must not reach into the next text.
    m_pFont = baseFont;
    m_eAlignH = baseAlignH;
    m_nAlignV = baseAlignV;
    m_eWrapStyle = baseWrapStyle;
    RestoreBaseState();
}

void LabelStyle::RestoreBaseState() {
    m_ColorStack.clear();
    m_WrapStyleStack.clear();
    m_AlignVStack.clear();
    m_AlignHStack.clear();
    m_TabStops.clear();
    m_FontStack.clear();
}

void LabelStyle::ScanText(std::vector<unsigned long>& text) {
    SmartPtr<StyleParser> parser(new StyleParser);
    for (m_nScanIndex = 0; m_nScanIndex < static_cast<int>(text.size()); ++m_nScanIndex) {
        const unsigned long c = text[static_cast<size_t>(m_nScanIndex)];
        if (Utils::IsNewLine(c)) {
            AddWord(text);
            NewLine();
        } else if (Utils::IsWhitespace(c)) {
            AddWord(text);
            if (m_fPenX != 0.0f)
                m_fPenX += BlankWidth();
        } else if (c == '[' && m_nScanIndex > m_nWordStart && text[static_cast<size_t>(m_nScanIndex - 1)] == '\\') {
            // The escaped bracket stays in the word; the backslash goes.
            text.erase(text.begin() + (m_nScanIndex - 1));
            --m_nScanIndex;
        } else if (c == '[') {
            const int nameEnd = FindAny(text, m_nScanIndex + 1, ']', '=');
            const int close = nameEnd < 0 ? -1 : FindAny(text, nameEnd, ']', ']');
            // Without a closing bracket the "[" is ordinary text.
            if (close < 0)
                continue;
            AddWord(text);
            const std::string name = Encode(text, m_nScanIndex + 1, nameEnd);
            const std::string value = nameEnd < close ? Encode(text, nameEnd + 1, close) : std::string();
            m_nScanIndex = close;
            m_nWordStart = close + 1;
            parser->DoCommand(name, value, this);
        }
    }
    AddWord(text);
    NewLine();
}

float LabelStyle::BlankWidth() const {
    if (!m_pFont)
        return 0.0f;
    return m_pFont->GetStringWidth(UTF8String(" "), 0.0f, FONTWIDTH_PEN, 0, -1) - 2.0f * m_pFont->GetPadding();
}

void LabelStyle::AddWord(const std::vector<unsigned long>& text) {
    const std::string word = Encode(text, m_nWordStart, m_nScanIndex);
    m_nWordStart = m_nScanIndex + 1;
    if (word.empty())
        return;
    SmartPtr<Label> label(new Label(m_pFont.Get(), m_fPenX, m_fPenY, 0.0f, 0.0f, TEXTWRAP_AUTOWIDTH));
    label->SetText(word);
    label->SetAlignV(m_nAlignV);
    label->SetImageMode(true);
    if (!m_ColorStack.empty())
        label->SetLayerColor(m_ColorStack.back().first, m_ColorStack.back().second);
    label->Update();
    if (!FitWord(label.Get()))
        return;
    FlowAroundImages(label.Get());
    if (label->GetText().empty())
        return;
    label->Update();
    const float width = label->GetWidth();
    m_pCurrentLine->push_back(label);
    m_fLineWidth = m_fPenX + width;
    m_fLineHeight = std::max(m_fLineHeight, label->GetLineHeight());
    m_fPenX += width;
}

bool LabelStyle::MoveWordToNewLine(Label* word) {
    const float boxWidth = GetWidth();
    if (m_fPenX == 0.0f || word->GetWidth() > boxWidth) {
        word->SetText(std::string());
        return false;
    }
    m_fPendingLineHeight = word->GetLineHeight();
    NewLine();
    word->SetX(std::floor(m_fPenX));
    word->SetY(std::floor(m_fPenY));
    return true;
}

bool LabelStyle::FitWord(Label* word) {
    const float boxWidth = GetWidth();
    const bool overflows = m_fPenX + word->GetWidth() > boxWidth;
    switch (m_eWrapStyle) {
    case TEXTWRAP_WORDWRAP:
        return !overflows || MoveWordToNewLine(word);
    case TEXTWRAP_TRUNCATE:
        m_fPendingLineHeight = word->GetLineHeight();
        if (!overflows)
            return true;
        if (boxWidth <= m_fLineWidth) {
            word->SetText(std::string());
            return false;
        }
        word->SetText(word->GetText().SubString(0, 1) + Label::g_DotDotDotString);
        word->Update();
        if (m_fPenX + word->GetWidth() > boxWidth) {
            word->SetText(std::string());
            ShortenLastWord();
            return false;
        }
        return true;
    default:
        m_fPendingLineHeight = word->GetLineHeight();
        return true;
    }
}

void LabelStyle::ShortenLastWord() {
    if (m_pCurrentLine->empty())
        return;
    Label* last = m_pCurrentLine->back().Get();
    UTF8String text = last->GetText();
    const int length = text.Length();
    if (length > 3)
        text = text.SubString(0, length - 3) + Label::g_DotDotDotString;
    else
        text = text.SubString(0, 1) + Label::g_DotDotDotString;
    last->SetText(text);
    last->Update();
    m_fPenX += kNoRoom;
}

void LabelStyle::FlowAroundImages(Label* word) {
    for (int pass = 0; pass < kMaxFlowPasses; ++pass) {
        bool moved = false;
        for (const SmartPtr<Sprite>& image : m_Images) {
            if (!Overlaps(*image, word->GetX(), word->GetY(), word->GetWidth(), word->GetLineHeight()))
                continue;
            m_fPenX = image->GetX() + image->GetWidth() + 1.0f;
            word->SetX(std::floor(m_fPenX));
            moved = true;
            if (m_eWrapStyle == TEXTWRAP_WORDWRAP && m_fPenX + word->GetWidth() > GetWidth() &&
                !MoveWordToNewLine(word))
                return;
        }
        if (!moved)
            return;
    }
}

void LabelStyle::NewLine() {
    float freeSpace = GetWidth() - m_fLineWidth;
    std::vector<bool> counted(static_cast<size_t>(m_Images.size()), false);
    for (bool changed = true; changed && freeSpace > 0.0f;) {
        changed = false;
        for (int i = 0; i < m_Images.size() && freeSpace > 0.0f; ++i) {
            const Sprite& s = *m_Images[i];
            if (counted[static_cast<size_t>(i)] || !(s.GetX() + s.GetWidth() > m_fLineWidth) ||
                !(s.GetY() + s.GetHeight() > m_fPenY) || !(m_fLineWidth + freeSpace > s.GetX()) ||
                !(m_fPenY + m_fLineHeight > s.GetY()))
                continue;
            counted[static_cast<size_t>(i)] = true;
            freeSpace = std::max(0.0f, freeSpace - s.GetWidth());
            changed = true;
        }
    }
    float shift = 0.0f;
    if (m_eAlignH == ALIGNH_CENTER)
        shift = freeSpace * 0.5f;
    else if (m_eAlignH == ALIGNH_RIGHT && freeSpace > 0.0f)
        shift = freeSpace;
    if (shift != 0.0f) {
        for (SmartPtr<Label>& word : *m_pCurrentLine)
            word->SetX(std::floor(word->GetX() + shift));
    }
    m_Lines.push_back(m_pCurrentLine);
    m_fPenY += m_fLineHeight != 0.0f ? m_fLineHeight : (m_pFont ? m_pFont->GetLineHeight() : 0.0f);
    m_fPenX = 0.0f;
    m_fLineHeight = m_fPendingLineHeight;
    m_pCurrentLine = new TextLine;
    if (m_bGrowBox) {
        if (m_fPenY > GetHeight())
            SetHeight(m_fPenY);
        if (m_fLineWidth > GetWidth())
            SetWidth(m_fLineWidth);
    }
    m_fLineWidth = 0.0f;
}

// ---- drawing

void LabelStyle::RenderToImage() {
    if (!Renderer::g_Instance)
        return;
    const int width = static_cast<int>(std::ceil(GetWidth()));
    const int height = static_cast<int>(std::ceil(GetHeight()));
    SmartPtr<Image> image(Renderer::g_Instance->CreateImageUnmanaged(width, height, true, 1, 1));
    if (!image)
        return;
    SetImage(image.Get());
    SmartPtr<Graphics> graphics(image->CreateGraphics());
    if (!graphics || !graphics->BeginBatch())
        return;
    graphics->SetColor(0);
    graphics->SetAlpha(0);
    graphics->Clear();
    graphics->SetBlendMode(BLENDMODE_REPLACE_OPAQUE);
    // Each word's box takes its background colour, fully transparent, so
    // that the glyphs' soft edges blend toward their own colour.
    for (const SmartPtr<TextLine>& line : m_Lines) {
        for (const SmartPtr<Label>& word : *line) {
            graphics->SetColor(word->GetBackgroundColor());
            graphics->FillRect(Rectangle_t<float>(word->GetX(), word->GetY(), word->GetWidth(), word->GetHeight()));
        }
    }
    graphics->SetBlendMode(BLENDMODE_BLEND_MAX_ALPHA);
    for (const SmartPtr<TextLine>& line : m_Lines) {
        for (const SmartPtr<Label>& word : *line) {
            word->Update();
            word->Render(graphics.Get());
        }
    }
    // Inline pictures are part of the text's image.
    for (const SmartPtr<Sprite>& picture : m_Images)
        picture->Render(graphics.Get());
    graphics->EndBatch();
}

}  // namespace ZQ2
