#pragma once
// A sprite that shows a UTF-8 text in a bitmap font, fitted into its box by
// auto width, word wrap or truncation, aligned, and padded for the font.
// The layout is lazy: setters mark it stale and Update redoes it.
#include <string>

#include "engine/core/SmartPtr.h"
#include "engine/core/UTF8String.h"
#include "engine/graphics/Font.h"
#include "engine/graphics/FontDrawSettings.h"
#include "engine/graphics/eFontWidth.h"
#include "engine/io/ObjectInitializer.h"
#include "engine/math/Rectangle_t.h"
#include "engine/resource/ResourceFont.h"
#include "engine/sprite/Sprite.h"
#include "engine/sprite/eAlignH.h"
#include "engine/sprite/eAlignV.h"
#include "engine/sprite/ePaddingStyle.h"
#include "engine/sprite/eTextWrapStyle.h"

namespace ZQ2 {

extern const char* const PROP_WRAPSTYLE;
extern const char* const PROP_PADSTYLE;
extern const char* const PROP_ALIGNH;
extern const char* const PROP_AUTOFITHEIGHT;
extern const char* const PROP_LINEHEIGHT;
extern const char* const PROP_CHARSPACING;
extern const char* const PROP_TEXTID;
extern const char* const PROP_TEXT;
extern const char* const PROP_VALUE;

// Keywords of the enumerations, indexed by value.
extern const std::string g_WrapStyleKeywords[3];
extern const std::string g_AlignHKeywords[3];
extern const std::string g_PaddingStyleKeywords[2];

class Label : public Sprite {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    static const char* const g_NewLine;
    static const char* const g_DotDotDotString;
    static const char* const g_EllipsisString;

    explicit Label(AbstractProperty* data);
    Label(Font* font, float x, float y, float width, float height, eTextWrapStyle wrapStyle);
    Label(const Label&) = delete;
    Label& operator=(const Label&) = delete;
    ~Label() override;

    static BaseObject* OnData(AbstractProperty* data);
    static ObjectInitializer m_ObjectInitializer;

    const RTTI& GetRTTI() const override { return rtti; }
    std::string ToString() const override;
    std::string ToStringShort() const override;

    void SetProperties(PropertyNode* data);

    // ---- layout settings; each marks the layout stale only when it changes.
    virtual int GetAlignV() const { return 0; }
    virtual eAlignH GetAlignH() const { return m_eAlignH; }
    // Words of a label keep their tops: vertical alignment is not applied.
    virtual void SetAlignV(int align) { (void)align; }
    virtual void SetAlignH(eAlignH align);
    virtual const Rectangle_t<float>& GetTextBounds() const { return m_TextBounds; }
    // Every backslash-n pair becomes a newline.
    virtual void SetText(const std::string& text);
    virtual const UTF8String& GetText() const { return m_strText; }
    virtual void SetMaxWidth(float width);
    virtual float GetMaxWidth() const { return m_fMaxWidth; }
    virtual void SetMaxHeight(float height);
    virtual float GetMaxHeight() const { return m_fMaxHeight; }
    // Always re-lays the text, even for the same font.
    virtual void SetFont(Font* font);
    virtual Font* GetFont() const { return m_pFont.Get(); }
    // Grows the colour list to the layer as needed.
    virtual void SetLayerColor(int color, int layer);
    virtual void SetWrapStyle(eTextWrapStyle style);
    virtual eTextWrapStyle GetWrapStyle() const { return m_eWrapStyle; }
    // Redoes the layout when it is stale.
    virtual void Update();

    void SetLineHeight(float height);
    // The font's line height while the stored one is negative.
    float GetLineHeight() const;
    void SetExtraCharSpacing(float spacing);
    float GetExtraCharSpacing() const { return m_DrawSettings.GetCharSpacing(); }
    void SetPaddingStyle(ePaddingStyle style);
    ePaddingStyle GetPaddingStyle() const { return m_ePaddingStyle; }
    void SetAutoFitHeight(bool fit);
    bool GetAutoFitHeight() const { return m_bAutoFitHeight; }
    // Draw the text once into an image that the sprite shows.
    void SetImageMode(bool imageMode);
    bool GetImageMode() const { return m_bImageMode; }

    // Reading a layer that was never set grows the list too, and gives 0.
    int GetColor(int layer);
    int GetBackgroundColor() const;
    // 0 without a font; a negative count measures to the end.
    float GetStringWidth(const std::string& text, eFontWidth kind, int start, int count) const;
    float GetMaxStringWidth() const;
    const FontDrawSettings& GetDrawSettings() const { return m_DrawSettings; }
    bool IsLayoutDirty() const { return m_bTextDirty; }
    // The next Update lays the text out again (scenes do so once after
    // their first frames).
    void MarkDirty() { m_bTextDirty = true; }

    void Render(Graphics* graphics) override;
    float GetDestX() const override { return GetX() + m_TextBounds.x; }
    float GetDestY() const override { return GetY() + m_TextBounds.y; }
    void SetAnchorPoint(float x, float y) override;
    void SetAnchorPoint(const AnchorPoint& anchor) override;
    void SetAnchorPoint(eAnchorPoint type) override;
    // A step table's "text" becomes a step that sets the text once.
    Modifier* AddLuaAnimation(lua_State* L, int durationMs) override;

private:
    void Init();
    void InitializeLuaClass();
    void UpdatePositions();
    void SplitLines(const UTF8String& paragraph);
    void WordWrap(const UTF8String& paragraph);
    void Truncate(const UTF8String& paragraph);
    void AddLine(const UTF8String& text);
    void PositionLines();
    bool SizeBox();
    bool RenderIntoImage(int width, int height);

    FontDrawSettings m_DrawSettings;
    bool m_bTextDirty = true;
    SmartPtr<Font> m_pFont;
    UTF8String m_strText;
    Rectangle_t<float> m_TextBounds{0.0f, 0.0f, 0.0f, 0.0f};
    eTextWrapStyle m_eWrapStyle = TEXTWRAP_AUTOWIDTH;
    eAlignH m_eAlignH = ALIGNH_LEFT;
    ePaddingStyle m_ePaddingStyle = PADDINGSTYLE_OFFSET;
    bool m_bAutoFitHeight = true;
    bool m_bImageMode = false;
    float m_fMaxWidth = 0.0f;
    float m_fMaxHeight = 0.0f;
    float m_fLineHeight = -1.0f;
};

}  // namespace ZQ2
