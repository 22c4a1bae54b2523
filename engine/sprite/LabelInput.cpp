#include "engine/sprite/LabelInput.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "engine/core/Platform.h"
#include "engine/core/Utils.h"
#include "engine/framework/KeyboardMessageData.h"
#include "engine/framework/MouseMessageData.h"
#include "engine/graphics/Graphics.h"
#include "engine/io/AbstractProperty.h"
#include "engine/io/ObjectFactory.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "engine/math/Matrix3x3.h"
#include "engine/sprite/GameTree.h"
#include "engine/sprite/ResourceLookup.h"

namespace ZQ2 {

const RTTI* const LabelInput::rttis[] = {&Sprite::rtti, &iInputListener::rtti, &iGuiMethod::rtti, nullptr};
const RTTI LabelInput::rtti("LabelInput", LabelInput::rttis);

ObjectInitializer LabelInput::m_ObjectInitializer("LabelInput", &LabelInput::OnData);

const char* const PROP_MAXLENGTH = "maxlength";
const char* const PROP_CURSORX = "cursorx";
const char* const PROP_CURSORY = "cursory";
const char* const PROP_MAXWIDTH = "maxwidth";
const char* const PROP_SELCOLOR = "selcolor";
const char* const PROP_SELBORDERCOLOR = "selbordercolor";
const char* const PROP_SELALPHA = "selalpha";
const char* const PROP_SELBORDERALPHA = "selborderalpha";
const char* const PROP_TOPOFFSET = "topoffset";
const char* const PROP_BOTTOMOFFSET = "bottomoffset";
const char* const PROP_CURSORIMAGE = "cursorimage";
const char* const PROP_DURATIONON = "durationon";
const char* const PROP_DURATIONOFF = "durationoff";

namespace {

const char* const kLabelChild = "label";

LabelInput::ClipboardGetter g_ClipboardGetter = nullptr;
LabelInput::ClipboardSetter g_ClipboardSetter = nullptr;

std::string ClipboardText() { return g_ClipboardGetter ? g_ClipboardGetter() : Platform::GetTextFromClipboard(); }

void SetClipboardText(const std::string& text) {
    if (g_ClipboardSetter)
        g_ClipboardSetter(text);
    else
        Platform::SetTextOnClipboard(text);
}

bool IsWordBoundary(unsigned long c) { return c == '\t' || c == '.' || c == ',' || c == ' '; }

// The letter of a key with Control, whichever case the keyboard sent.
bool IsControlChord(const KeyboardMessageData& k, char letter) {
    const unsigned long c = k.GetCharacter();
    return (c == static_cast<unsigned long>(letter) ||
            c == static_cast<unsigned long>(std::tolower(static_cast<unsigned char>(letter)))) &&
           Platform::IsKeyDown(SYSKEY_CONTROL);
}

}  // namespace

void LabelInput::SetClipboard(ClipboardGetter getter, ClipboardSetter setter) {
    g_ClipboardGetter = getter;
    g_ClipboardSetter = setter;
}

LabelInput::LabelInput(Label* label, float x, float y, float width, float height) : Sprite(x, y, width, height) {
    if (label) {
        label->SetAutoFitHeight(false);
        AttachLabel(label);
    }
    UpdateCursorSpritePosition();
}

LabelInput::LabelInput(AbstractProperty* data) : Sprite(data) {
    if (!data)
        return;
    PropertyNode* node = data->ToNode();
    SetProperties(node);
    PropertyNode* labelData = node->GetNode(kLabelChild);
    if (labelData) {
        BaseObject* object = ObjectFactory::Instance()->CreateObject(labelData);
        Label* label = DynamicCast<Label>(object);
        if (label)
            AttachLabel(label);
        else if (object)
            SmartPtr<BaseObject> drop(object);
    }
    m_bLeftHeld = m_bRightHeld = m_bDeleteHeld = false;
    UpdateCursorSpritePosition();
}

LabelInput::~LabelInput() = default;

BaseObject* LabelInput::OnData(AbstractProperty* data) { return new LabelInput(data); }

void* LabelInput::QueryInterface(const RTTI& which) {
    if (&which == &iInputListener::rtti)
        return static_cast<iInputListener*>(this);
    if (&which == &iGuiMethod::rtti)
        return static_cast<iGuiMethod*>(this);
    return Sprite::QueryInterface(which);
}

void LabelInput::AttachLabel(Label* label) {
    m_pLabel = label;
    label->SetText(m_strText);
    label->Update();
    GameTree::LinkNodeUnder(this, label);
}

void LabelInput::SetProperties(PropertyNode* data) {
    if (!data)
        return;
    auto has = [data](const char* key) { return data->HasProperty(key); };
    auto value = [data](const char* key) { return data->GetValue(key); };
    if (has(PROP_WIDTH))
        SetWidth(value(PROP_WIDTH)->ToFloat());
    if (has(PROP_HEIGHT))
        SetHeight(value(PROP_HEIGHT)->ToFloat());
    if (has(PROP_MAXLENGTH))
        m_nMaxLength = value(PROP_MAXLENGTH)->ToInt();
    if (has(PROP_TEXT))
        m_strText = data->GetPropString(PROP_TEXT);
    if (has(PROP_CURSORX))
        m_fCursorOffsetX = value(PROP_CURSORX)->ToFloat();
    if (has(PROP_CURSORY))
        m_fCursorOffsetY = value(PROP_CURSORY)->ToFloat();
    if (has(PROP_MAXWIDTH))
        m_nMaxPixelWidth = value(PROP_MAXWIDTH)->ToInt();
    if (has(PROP_SELCOLOR))
        m_nSelectionColor = value(PROP_SELCOLOR)->ToInt();
    if (has(PROP_SELBORDERCOLOR))
        m_nSelectionBorderColor = value(PROP_SELBORDERCOLOR)->ToInt();
    if (has(PROP_SELALPHA))
        m_nSelectionAlpha = value(PROP_SELALPHA)->ToInt();
    if (has(PROP_SELBORDERALPHA))
        m_nSelectionBorderAlpha = value(PROP_SELBORDERALPHA)->ToInt();
    if (has(PROP_TOPOFFSET))
        m_fTopOffset = value(PROP_TOPOFFSET)->ToFloat();
    if (has(PROP_BOTTOMOFFSET))
        m_fBottomOffset = value(PROP_BOTTOMOFFSET)->ToFloat();
    if (has(PROP_CURSORIMAGE) && has(PROP_SECTION))
        SetCursorImage(ResourceLookup::GetImage(data->GetPropString(PROP_CURSORIMAGE),
                                                data->GetPropString(PROP_SECTION), nullptr));
    if (has(PROP_DURATIONON)) {
        const int on = value(PROP_DURATIONON)->ToInt();
        SetBlinkDuration(on, has(PROP_DURATIONOFF) ? value(PROP_DURATIONOFF)->ToInt() : on);
    }
}

// ---- caret

void LabelInput::SetBlinkDuration(int on, int off) {
    m_nBlinkOn = on;
    m_nBlinkOff = off;
}

void LabelInput::SetCursorImage(Image* image) {
    if (m_pCursorSprite) {
        m_pCursorSprite->RemoveAllModifiers();
        GameTree::UnlinkNode(m_pCursorSprite.Get());
        m_pCursorSprite->Release();  // the tree's reference
        m_pCursorSprite = nullptr;
    }
    if (!image)
        return;
    m_pCursorSprite = new Sprite(0.0f, 0.0f, image);
    GameTree::LinkNodeUnder(this, m_pCursorSprite.Get());
    m_nBlinkElapsed = 0;
    SetFocus(m_bFocus);
    UpdateCursorSpritePosition();
}

void LabelInput::SetFocus(bool focus) {
    m_bFocus = focus;
    if (!m_pCursorSprite)
        return;
    m_pCursorSprite->SetSuspended(!focus);
    m_pCursorSprite->SetVisible(focus);
    if (focus) {
        m_nBlinkElapsed = 0;
        m_pCursorSprite->SetAlpha(255);
        return;
    }
    m_nCursorPosition = m_strText.Length();
    CollapseSelection();
    UpdateCursorSpritePosition();
}

void LabelInput::Tick(int deltaMs) {
    Sprite::Tick(deltaMs);
    const int period = m_nBlinkOn + m_nBlinkOff;
    if (!m_pCursorSprite || !m_bFocus || period <= 0 || deltaMs <= 0)
        return;
    m_nBlinkElapsed = static_cast<int>((static_cast<long long>(m_nBlinkElapsed) + deltaMs) % period);
    m_pCursorSprite->SetAlpha(m_nBlinkElapsed < m_nBlinkOn ? 255 : 0);
}

void LabelInput::UpdateCursorSpritePosition() {
    if (!m_pCursorSprite || !m_pLabel)
        return;
    m_pLabel->Update();
    const float x = m_pLabel->GetDestX() + CalcCharacterX(m_nCursorPosition, FONTWIDTH_PEN) -
                    m_pLabel->GetAnchorPointX() + m_fCursorOffsetX;
    const float y = m_pLabel->GetDestY() + m_fCursorOffsetY;
    m_pCursorSprite->SetX(x);
    m_pCursorSprite->SetY(y);
}

float LabelInput::CalcCharacterX(int count, eFontWidth kind) const {
    if (!m_pLabel || count <= 0)
        return 0.0f;
    return m_pLabel->GetStringWidth(m_strText, kind, 0, count);
}

int LabelInput::CalcCursorPosFromCoord(float x, float y) {
    if (m_strText.empty() || !m_pLabel)
        return 0;
    const float local = m_pLabel->ToLocal(x, y).x - m_pLabel->GetTextBounds().x;
    if (local <= 0.0f)
        return 0;
    const int length = m_strText.Length();
    for (int i = 0; i <= length; ++i) {
        const float right = CalcCharacterX(i, FONTWIDTH_PEN);
        if (right <= local)
            continue;
        if (i == 0)
            return 0;
        const float left = CalcCharacterX(i - 1, FONTWIDTH_PEN);
        return std::fabs(local - right) <= std::fabs(local - left) ? i : i - 1;
    }
    return length;
}

// ---- selection and editing

void LabelInput::UpdateSelectionX() {
    m_fSelectionStartX = CalcCharacterX(m_nSelectionStart, FONTWIDTH_JOINED);
    m_fSelectionEndX = CalcCharacterX(m_nSelectionEnd, FONTWIDTH_JOINED);
}

void LabelInput::CollapseSelection() {
    m_bDragging = false;
    m_nSelectionStart = m_nSelectionEnd = m_nCursorPosition;
    UpdateSelectionX();
}

void LabelInput::SetCursorPosition(int position, bool extend, bool collapse) {
    const int old = m_nCursorPosition;
    m_nCursorPosition = std::clamp(position, 0, m_strText.Length());
    const int now = m_nCursorPosition;
    if (extend) {
        if (old != m_nSelectionStart)
            m_nSelectionEnd = now;
        else if (old > now)
            m_nSelectionStart = now;
        else if (old == m_nSelectionEnd && now > old)
            m_nSelectionEnd = now;
        else
            m_nSelectionStart = now;
        if (m_nSelectionStart > m_nSelectionEnd)
            std::swap(m_nSelectionStart, m_nSelectionEnd);
        UpdateSelectionX();
    } else if (collapse) {
        CollapseSelection();
    }
    UpdateCursorSpritePosition();
}

void LabelInput::SelectAll() {
    m_nSelectionStart = 0;
    m_nSelectionEnd = m_nCursorPosition = m_strText.Length();
    UpdateSelectionX();
    UpdateCursorSpritePosition();
}

void LabelInput::ChangeInputText(const std::string& text, bool cursorToEnd) {
    UTF8String copy(text);
    if (m_nMaxPixelWidth > 0 && m_pLabel) {
        while (!copy.empty() &&
               m_pLabel->GetStringWidth(copy, FONTWIDTH_BOX, 0, -1) > static_cast<float>(m_nMaxPixelWidth))
            copy.Truncate(copy.Length() - 1);
    }
    if (m_pLabel) {
        m_pLabel->SetText(copy);
        m_pLabel->Update();
    }
    SmartPtr<LabelInput> hold(GetRefCount() > 0 ? this : nullptr);
    if (copy != m_strText) {
        m_strText = copy;
        TryExecuteMethod(this);
    }
    if (cursorToEnd) {
        m_nCursorPosition = m_strText.Length();
        CollapseSelection();
        UpdateCursorSpritePosition();
        return;
    }
    SetCursorPosition(m_nCursorPosition, false, false);
}

void LabelInput::InsertString(const UTF8String& text) {
    UTF8String copy = m_strText;
    int at = m_nCursorPosition;
    if (m_nSelectionStart != m_nSelectionEnd) {
        copy.Erase(m_nSelectionStart, m_nSelectionEnd - m_nSelectionStart);
        at = m_nSelectionStart;
    }
    if (at >= copy.Length())
        copy.Append(text);
    else
        copy.Insert(at, text);
    if (m_nMaxLength > 0 && copy.Length() > m_nMaxLength)
        return;
    if (m_nMaxPixelWidth > 0 && m_pLabel &&
        m_pLabel->GetStringWidth(copy, FONTWIDTH_BOX, 0, -1) > static_cast<float>(m_nMaxPixelWidth))
        return;
    m_nCursorPosition = at;
    ChangeInputText(copy, false);
    m_nCursorPosition = std::min(at + text.Length(), m_strText.Length());
    CollapseSelection();
    UpdateCursorSpritePosition();
}

bool LabelInput::AcceptsCharacter(unsigned long codePoint) const {
    if (codePoint < 0x20 || codePoint == 0x7F || Utils::IsNewLine(codePoint))
        return false;
    if (!m_pLabel || !m_pLabel->GetFont() || !m_pLabel->GetFont()->HasCharacter(codePoint))
        return false;
    return m_strAllowedCharacters.empty() || m_strAllowedCharacters.IndexOf(codePoint) >= 0;
}

void LabelInput::InsertCharacter(unsigned long codePoint) {
    if (AcceptsCharacter(codePoint))
        InsertString(UTF8String(codePoint));
}

void LabelInput::RemoveText(bool backwards) {
    if (m_strText.empty())
        return;
    int start = m_nSelectionStart;
    int end = m_nSelectionEnd;
    if (start == end) {
        start = backwards ? m_nCursorPosition - 1 : m_nCursorPosition;
        end = start + 1;
    }
    const int length = m_strText.Length();
    start = std::max(start, 0);
    end = std::min(end, length);
    if (start >= end || start >= length || end < 1)
        return;
    UTF8String result = m_strText;
    result.Erase(start, end - start);
    m_nCursorPosition = start;
    ChangeInputText(result, false);
    CollapseSelection();
    UpdateCursorSpritePosition();
}

void LabelInput::SetSelectionColors(int color, int alpha, int borderColor, int borderAlpha) {
    m_nSelectionColor = color;
    m_nSelectionAlpha = alpha;
    m_nSelectionBorderColor = borderColor;
    m_nSelectionBorderAlpha = borderAlpha;
}

void LabelInput::CopyToClipboard() {
    if (m_nSelectionStart == m_nSelectionEnd) {
        SetClipboardText(m_strText);
        return;
    }
    SetClipboardText(m_strText.SubString(m_nSelectionStart, m_nSelectionEnd - m_nSelectionStart));
}

// Pasted text passes the same filter as typed characters. The clipboard is
// read once from the front, and only until it proves too long for the room
// the length limit leaves: a huge paste is refused without reading it all.
void LabelInput::Paste() {
    const UTF8String clip(ClipboardText());
    const bool limited = m_nMaxLength > 0;
    const int room = m_nMaxLength - (m_strText.Length() - (m_nSelectionEnd - m_nSelectionStart));
    UTF8String pasted;
    int count = 0;
    const int size = static_cast<int>(clip.size());
    for (int pos = 0; pos < size; pos = clip.GetNextBufferPosition(pos)) {
        const unsigned long c = UTF8String::ConvertUTF8StringToUTF32Character(clip, pos);
        if (!AcceptsCharacter(c))
            continue;
        if (limited && ++count > room)
            return;  // refused whole, the selection kept
        pasted.Append(c);
    }
    InsertString(pasted);
}

void LabelInput::SelectWordAt(int index) {
    const int length = m_strText.Length();
    int start = 0;
    for (int i = std::min(index, length) - 1; i >= 0; --i) {
        if (IsWordBoundary(m_strText.GetCharacter(i))) {
            start = i + 1;
            break;
        }
    }
    int end = length;
    for (int i = index; i < length; ++i) {
        const unsigned long c = m_strText.GetCharacter(i);
        if (IsWordBoundary(c)) {
            end = c == '.' || c == ',' ? i : i + 1;
            break;
        }
    }
    m_nSelectionStart = std::min(start, end);
    m_nSelectionEnd = std::max(start, end);
    m_nCursorPosition = m_nSelectionEnd;
    UpdateSelectionX();
    UpdateCursorSpritePosition();
}

void LabelInput::Run(iGuiMethod& callback) {
    SmartPtr<LabelInput> hold(GetRefCount() > 0 ? this : nullptr);
    callback.TryExecuteMethod(this);
}

// ---- input

bool LabelInput::IsInside(float x, float y) {
    return Sprite::IsInside(x, y) || (m_pLabel && m_pLabel->IsInside(x, y));
}

void LabelInput::ActOnHeldKeys() {
    const bool shift = Platform::IsKeyDown(SYSKEY_SHIFT);
    if (m_bLeftHeld)
        SetCursorPosition(m_nCursorPosition - 1, shift, !shift);
    else if (m_bRightHeld)
        SetCursorPosition(m_nCursorPosition + 1, shift, !shift);
    else if (m_bDeleteHeld)
        RemoveText(false);
}

bool LabelInput::OnKeyDown(const KeyboardMessageData& k) {
    const eSysKey key = k.GetKey();
    if (key == SYSKEY_LEFT)
        m_bLeftHeld = true;
    else if (key == SYSKEY_RIGHT)
        m_bRightHeld = true;
    else if (key == SYSKEY_DELETE)
        m_bDeleteHeld = true;
    if (!m_bFocus)
        return false;
    if (IsControlChord(k, 'C')) {
        CopyToClipboard();
    } else if (IsControlChord(k, 'A')) {
        SelectAll();
    } else if (IsControlChord(k, 'V')) {
        Paste();
    } else if (IsControlChord(k, 'X')) {
        if (m_nSelectionStart == m_nSelectionEnd)
            SelectAll();
        CopyToClipboard();
        InsertString(UTF8String());
    }
    ActOnHeldKeys();
    return true;
}

bool LabelInput::OnKeyUp(const KeyboardMessageData& k) {
    const eSysKey key = k.GetKey();
    if (key == SYSKEY_LEFT)
        m_bLeftHeld = false;
    else if (key == SYSKEY_RIGHT)
        m_bRightHeld = false;
    else if (key == SYSKEY_DELETE)
        m_bDeleteHeld = false;
    if (!m_bFocus)
        return false;
    const bool shift = Platform::IsKeyDown(SYSKEY_SHIFT);
    switch (key) {
    case SYSKEY_BACKSPACE:
        RemoveText(true);
        return false;
    case SYSKEY_TAB:
        SetFocus(false);
        Run(m_TabCallback);
        return true;
    case SYSKEY_RETURN:
        SetFocus(false);
        Run(m_ReturnCallback);
        return true;
    case SYSKEY_ESCAPE:
        SetFocus(false);
        m_CursorCounter.SetUsed(false);
        Run(m_EscapeCallback);
        return true;
    case SYSKEY_END:
        SetCursorPosition(m_strText.Length(), shift, !shift);
        return true;
    case SYSKEY_HOME:
        SetCursorPosition(0, shift, !shift);
        return true;
    case SYSKEY_DELETE:
    case SYSKEY_LEFT:
    case SYSKEY_RIGHT:
        return true;
    default:
        return false;
    }
}

bool LabelInput::OnKeyTyped(const KeyboardMessageData& k) {
    if (!m_bFocus)
        return false;
    InsertCharacter(k.GetCharacter());
    return true;
}

bool LabelInput::OnMouseLeftDown(const MouseMessageData& m) {
    m_bWordSelected = false;
    if (!IsInside(m.GetX(), m.GetY())) {
        SetFocus(false);
        m_CursorCounter.SetUsed(false);
        return false;
    }
    SetFocus(true);
    const int index = CalcCursorPosFromCoord(m.GetX(), m.GetY());
    if (m.IsDoubleClick()) {
        SelectWordAt(index);
        m_bWordSelected = true;
    } else {
        const bool shift = Platform::IsKeyDown(SYSKEY_SHIFT);
        SetCursorPosition(index, shift, !shift);
        m_bDragging = true;
    }
    m_CursorCounter.SetUsed(m_bFocus);
    return false;
}

bool LabelInput::OnMouseMoved(const MouseMessageData& m) {
    if (m_bFocus && m_bDragging)
        SetCursorPosition(CalcCursorPosFromCoord(m.GetX(), m.GetY()), true, false);
    m_CursorCounter.SetUsed((m_bFocus && m_bDragging) || IsInside(m.GetX(), m.GetY()));
    return false;
}

bool LabelInput::OnMouseLeftUp(const MouseMessageData& m) {
    if (m_bFocus) {
        if (!m_bDragging && !IsInside(m.GetX(), m.GetY()))
            SetFocus(false);
        else if (m_bDragging && !m_bWordSelected)
            SetCursorPosition(CalcCursorPosFromCoord(m.GetX(), m.GetY()), true, false);
    }
    m_bDragging = false;
    return false;
}

void LabelInput::ResetInputState() { m_CursorCounter.Reset(); }

// ---- drawing

void LabelInput::Render(Graphics* graphics) {
    Sprite::Render(graphics);
    if (m_nSelectionStart == m_nSelectionEnd || !m_pLabel)
        return;
    graphics->ResetSettings();
    Matrix3x3 m;
    BuildToGlobalTransformation(m);
    m_pLabel->BuildToGlobalTransformation(m);
    graphics->PushTransformation(m);
    // The label's frame has its origin at the rectangle's corner; the text
    // starts at the padding offset inside it.
    const Rectangle_t<float>& bounds = m_pLabel->GetTextBounds();
    const float x = m_fSelectionStartX + bounds.x;
    const float y = m_fTopOffset + bounds.y;
    const float width = m_fSelectionEndX - m_fSelectionStartX;
    const float height = bounds.height - (m_fTopOffset + m_fBottomOffset);
    graphics->SetColor(m_nSelectionBorderColor);
    graphics->SetAlpha(m_nSelectionBorderAlpha);
    graphics->FillRect(Rectangle_t<float>(x - 1.0f, y - 1.0f, width + 2.0f, 1.0f));
    graphics->FillRect(Rectangle_t<float>(x - 1.0f, y + height, width + 2.0f, 1.0f));
    graphics->FillRect(Rectangle_t<float>(x - 1.0f, y, 1.0f, height));
    graphics->FillRect(Rectangle_t<float>(x + width, y, 1.0f, height));
    graphics->SetColor(m_nSelectionColor);
    graphics->SetAlpha(m_nSelectionAlpha);
    graphics->FillRect(Rectangle_t<float>(x, y, width, height));
    graphics->PopTransformation();
}

}  // namespace ZQ2
