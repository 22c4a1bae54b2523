#pragma once
// Paints a dialog's frame and background into the dialog's cached picture.
// Keeps a numbered list of frames taken from named images of one resource
// section, fetched on first use, and whether the dialog must paint again.
#include <string>

#include "engine/core/BaseObject.h"
#include "engine/core/SmartPtr.h"
#include "engine/core/ZQVector.h"
#include "engine/graphics/ImageFrame.h"
#include "engine/math/Rectangle_t.h"

namespace ZQ2 {

class AbstractProperty;
class Graphics;
class Image;
class PropertyNode;

extern const char* const PROP_IMAGES;

class AbstractPainter : public BaseObject {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    explicit AbstractPainter(AbstractProperty* data);
    ~AbstractPainter() override;
    AbstractPainter(const AbstractPainter&) = delete;
    AbstractPainter& operator=(const AbstractPainter&) = delete;

    const RTTI& GetRTTI() const override { return rtti; }

    // An empty rect paints the whole target of g.
    virtual void Render(Graphics* g, const Rectangle_t<float>& rect) {
        (void)g;
        (void)rect;
    }
    // Null for a missing piece or an index beyond the list.
    virtual ImageFrame* GetImageFrame(int index);
    virtual void SetWorldCover(Image* image) { (void)image; }
    virtual bool HasWorldCover() { return false; }
    virtual float GetPreferredWidth(float width) { return width; }
    virtual float GetPreferredHeight(float height) { return height; }

    void SetSection(const std::string& section);
    // index must lie in the name list.
    void SetImage(int index, const std::string& name);
    void ClearImages();
    void InitImages();
    void ReserveNumImages(int count);
    void SetProperties(PropertyNode* data);

    bool IsRepaint() const { return m_bRepaint; }
    void SetRepaint(bool repaint) { m_bRepaint = repaint; }
    const std::string& GetSection() const { return m_strSection; }
    int GetImageNameCount() const { return m_ImageNames.size(); }

private:
    void NamesChanged();

    bool m_bRepaint = true;
    bool m_bImagesReady = false;
    std::string m_strSection;
    ZQVector<std::string> m_ImageNames;
    ZQVector<SmartPtr<ImageFrame>> m_Frames;
};

}  // namespace ZQ2
