#pragma once
// A sprite showing rich text: words in fonts and colours that bracketed
// style tags choose, flowed into aligned lines around inline pictures, and
// rendered once into one image.
#include <string>
#include <utility>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/core/UTF8String.h"
#include "engine/core/ZQVector.h"
#include "engine/graphics/Font.h"
#include "engine/io/ObjectInitializer.h"
#include "engine/sprite/Sprite.h"
#include "engine/sprite/TextLine.h"
#include "engine/sprite/eAlignH.h"
#include "engine/sprite/eTextWrapStyle.h"

namespace ZQ2 {

class Label;

class LabelStyle : public Sprite {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    LabelStyle(Font* font, float x, float y, float width, float height, eTextWrapStyle wrapStyle);
    explicit LabelStyle(AbstractProperty* data);
    LabelStyle(const LabelStyle&) = delete;
    LabelStyle& operator=(const LabelStyle&) = delete;
    ~LabelStyle() override;

    static BaseObject* OnData(AbstractProperty* data);
    static ObjectInitializer m_ObjectInitializer;

    const RTTI& GetRTTI() const override { return rtti; }

    void SetProperties(PropertyNode* data);

    // Drops the inline pictures; every backslash-n pair becomes a newline;
    // a new text is laid out and rendered at once.
    virtual void SetText(const std::string& text);
    // Lays the text out and renders it into the sprite's image.
    virtual void Update();
    const UTF8String& GetText() const { return m_strText; }

    // The font of the words that follow; no new layout by itself.
    void SetFont(Font* font);
    Font* GetFont() const { return m_pFont.Get(); }

    // Ends the current line: aligns it and moves the pen to the next.
    void NewLine();

    // ---- the layout state that style tags change.
    float GetPenX() const { return m_fPenX; }
    void SetPenX(float x) { m_fPenX = x; }
    float GetPenY() const { return m_fPenY; }
    void SetPenY(float y) { m_fPenY = y; }
    float GetLineHeight() const { return m_fLineHeight; }
    void SetLineHeight(float height) { m_fLineHeight = height; }
    int GetAlignV() const { return m_nAlignV; }
    void SetAlignV(int align) { m_nAlignV = align; }
    eAlignH GetAlignH() const { return m_eAlignH; }
    void SetAlignH(eAlignH align) { m_eAlignH = align; }
    eTextWrapStyle GetWrapStyle() const { return m_eWrapStyle; }
    void SetWrapStyle(eTextWrapStyle style) { m_eWrapStyle = style; }
    bool GetGrowBox() const { return m_bGrowBox; }
    void SetGrowBox(bool grow) { m_bGrowBox = grow; }

    // (colour, font layer) pairs; the top one colours new words.
    ZQVector<std::pair<int, int> >& GetColorStack() { return m_ColorStack; }
    ZQVector<int>& GetWrapStyleStack() { return m_WrapStyleStack; }
    ZQVector<int>& GetAlignVStack() { return m_AlignVStack; }
    ZQVector<int>& GetAlignHStack() { return m_AlignHStack; }
    ZQVector<int>& GetTabStops() { return m_TabStops; }
    ZQVector<SmartPtr<Font> >& GetFontStack() { return m_FontStack; }
    // Pictures placed in the box; words flow around them.
    ZQVector<SmartPtr<Sprite> >& GetImages() { return m_Images; }
    const ZQVector<SmartPtr<TextLine> >& GetLines() const { return m_Lines; }

private:
    void CreateLineLabels();
    void ScanText(std::vector<unsigned long>& text);
    void AddWord(const std::vector<unsigned long>& text);
    // False when the word was dropped.
    bool FitWord(Label* word);
    bool MoveWordToNewLine(Label* word);
    void FlowAroundImages(Label* word);
    void ShortenLastWord();
    float BlankWidth() const;
    void RenderToImage();
    // Puts back the settings that tags of the last layout changed.
    void RestoreBaseState();

    ZQVector<std::pair<int, int> > m_ColorStack;
    ZQVector<int> m_WrapStyleStack;
    ZQVector<int> m_AlignVStack;
    ZQVector<int> m_AlignHStack;
    ZQVector<int> m_TabStops;
    ZQVector<SmartPtr<Font> > m_FontStack;
    ZQVector<SmartPtr<Sprite> > m_Images;
    ZQVector<SmartPtr<TextLine> > m_Lines;
    SmartPtr<Font> m_pFont;
    float m_fPenX = 0.0f;
    float m_fPenY = 0.0f;
    float m_fLineHeight = 0.0f;
    int m_nAlignV = 0;
    eAlignH m_eAlignH = ALIGNH_LEFT;
    eTextWrapStyle m_eWrapStyle = TEXTWRAP_AUTOWIDTH;
    bool m_bGrowBox = false;
    UTF8String m_strText;
    int m_nScanIndex = 0;
    int m_nWordStart = 0;
    float m_fPendingLineHeight = 0.0f;
    float m_fLineWidth = 0.0f;
    SmartPtr<TextLine> m_pCurrentLine;
};

}  // namespace ZQ2
