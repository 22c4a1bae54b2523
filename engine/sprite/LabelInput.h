#pragma once
// The one-line text entry: a sprite that edits a text shown by a child
// label, with a blinking caret, a mouse or keyboard selection, the clipboard,
// limits by characters and pixels, and callbacks on change, Return, Escape
// and Tab.
#include <string>

#include "engine/core/SmartPtr.h"
#include "engine/core/UTF8String.h"
#include "engine/core/iGuiMethod.h"
#include "engine/framework/MouseCursorCounter.h"
#include "engine/graphics/eFontWidth.h"
#include "engine/io/ObjectInitializer.h"
#include "engine/sprite/Label.h"
#include "engine/sprite/Sprite.h"
#include "engine/sprite/iInputListener.h"

namespace ZQ2 {

extern const char* const PROP_MAXLENGTH;
extern const char* const PROP_CURSORX;
extern const char* const PROP_CURSORY;
extern const char* const PROP_MAXWIDTH;
extern const char* const PROP_SELCOLOR;
extern const char* const PROP_SELBORDERCOLOR;
extern const char* const PROP_SELALPHA;
extern const char* const PROP_SELBORDERALPHA;
extern const char* const PROP_TOPOFFSET;
extern const char* const PROP_BOTTOMOFFSET;
extern const char* const PROP_CURSORIMAGE;
extern const char* const PROP_DURATIONON;
extern const char* const PROP_DURATIONOFF;

class LabelInput : public Sprite, public iInputListener, public iGuiMethod {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // Where copy, cut and paste go; the desktop clipboard unless a test puts
    // its own in (null functions put the desktop back).
    using ClipboardGetter = std::string (*)();
    using ClipboardSetter = void (*)(const std::string& text);
    static void SetClipboard(ClipboardGetter getter, ClipboardSetter setter);

    LabelInput(Label* label, float x, float y, float width, float height);
    explicit LabelInput(AbstractProperty* data);
    LabelInput(const LabelInput&) = delete;
    LabelInput& operator=(const LabelInput&) = delete;
    ~LabelInput() override;

    static BaseObject* OnData(AbstractProperty* data);
    static ObjectInitializer m_ObjectInitializer;

    const RTTI& GetRTTI() const override { return rtti; }
    // The input-listener and change-callback parts, or what the sprite answers.
    void* QueryInterface(const RTTI& which) override;
    BaseObject* QueryBaseObject() override { return this; }

    void SetProperties(PropertyNode* data);

    // ---- editing
    const UTF8String& GetText() const { return m_strText; }
    // Cuts the text to the pixel limit, shows it, and calls the change
    // callback when it differs from the current text.
    void ChangeInputText(const std::string& text, bool cursorToEnd);
    // Replaces the selection; refused whole when over a limit.
    void InsertString(const UTF8String& text);
    // Only characters the font has, that are allowed, and that are neither
    // control characters nor line breaks.
    void InsertCharacter(unsigned long codePoint);
    bool AcceptsCharacter(unsigned long codePoint) const;
    // The selection, or the character before (backwards) or after the caret.
    void RemoveText(bool backwards);
    // extend: the selection follows the caret; collapse: the selection
    // shrinks to the caret.
    void SetCursorPosition(int position, bool extend, bool collapse);
    int GetCursorPosition() const { return m_nCursorPosition; }
    int GetSelectionStart() const { return m_nSelectionStart; }
    int GetSelectionEnd() const { return m_nSelectionEnd; }
    float GetSelectionStartX() const { return m_fSelectionStartX; }
    float GetSelectionEndX() const { return m_fSelectionEndX; }
    void SelectAll();

    void SetAllowedCharacters(const UTF8String& allowed) { m_strAllowedCharacters = allowed; }
    void SetMaxLength(int length) { m_nMaxLength = length; }
    int GetMaxLength() const { return m_nMaxLength; }
    void SetMaxPixelWidth(int width) { m_nMaxPixelWidth = width; }
    int GetMaxPixelWidth() const { return m_nMaxPixelWidth; }

    void SetFocus(bool focus);
    bool HasFocus() const { return m_bFocus; }
    Label* GetLabel() const { return m_pLabel.Get(); }

    // ---- caret
    void SetCursorImage(Image* image);
    Sprite* GetCursorSprite() const { return m_pCursorSprite.Get(); }
    void SetBlinkDuration(int on, int off);
    int GetBlinkOn() const { return m_nBlinkOn; }
    int GetBlinkOff() const { return m_nBlinkOff; }

    // Left x of the first count characters of the text.
    float CalcCharacterX(int count, eFontWidth kind) const;
    // The character boundary nearest to a screen x.
    int CalcCursorPosFromCoord(float x, float y);

    // ---- selection look
    void SetSelectionColors(int color, int alpha, int borderColor, int borderAlpha);
    int GetSelectionColor() const { return m_nSelectionColor; }
    int GetSelectionAlpha() const { return m_nSelectionAlpha; }
    int GetSelectionBorderColor() const { return m_nSelectionBorderColor; }
    int GetSelectionBorderAlpha() const { return m_nSelectionBorderAlpha; }

    // ---- node and input
    bool IsInside(float x, float y) override;
    // Runs the caret's blink.
    void Tick(int deltaMs) override;
    void Render(Graphics* graphics) override;
    bool OnKeyDown(const KeyboardMessageData& k) override;
    bool OnKeyUp(const KeyboardMessageData& k) override;
    bool OnKeyTyped(const KeyboardMessageData& k) override;
    bool OnMouseLeftDown(const MouseMessageData& m) override;
    bool OnMouseLeftUp(const MouseMessageData& m) override;
    bool OnMouseMoved(const MouseMessageData& m) override;
    void ResetInputState() override;
    const MouseCursorCounter& GetCursorCounter() const { return m_CursorCounter; }

    // Run with the field as sender; set by the owner.
    iGuiMethod m_ReturnCallback;
    iGuiMethod m_EscapeCallback;
    iGuiMethod m_TabCallback;

private:
    void AttachLabel(Label* label);
    void UpdateCursorSpritePosition();
    void UpdateSelectionX();
    void CollapseSelection();
    void ActOnHeldKeys();
    void CopyToClipboard();
    void Paste();
    void SelectWordAt(int index);
    // Runs a callback with a reference held, so that it may let go of the field.
    void Run(iGuiMethod& callback);

    UTF8String m_strText;
    UTF8String m_strAllowedCharacters;
    bool m_bFocus = false;
    bool m_bLeftHeld = false;
    bool m_bRightHeld = false;
    bool m_bDeleteHeld = false;
    bool m_bDragging = false;
    bool m_bWordSelected = false;
    int m_nSelectionStart = 0;
    int m_nSelectionEnd = 0;
    float m_fTopOffset = 0.0f;
    float m_fBottomOffset = 0.0f;
    float m_fSelectionStartX = 0.0f;
    float m_fSelectionEndX = 0.0f;
    int m_nSelectionColor = 0xFF00FF;
    int m_nSelectionBorderColor = 0x000000;
    int m_nSelectionAlpha = 128;
    int m_nSelectionBorderAlpha = 255;
    int m_nMaxLength = -1;
    int m_nCursorPosition = 0;
    SmartPtr<Sprite> m_pCursorSprite;
    float m_fCursorOffsetX = 0.0f;
    float m_fCursorOffsetY = 0.0f;
    int m_nBlinkOn = 500;
    int m_nBlinkOff = 500;
    int m_nBlinkElapsed = 0;
    int m_nMaxPixelWidth = -1;
    SmartPtr<Label> m_pLabel;
    MouseCursorCounter m_CursorCounter{CURSOR_TEXT};
};

}  // namespace ZQ2
