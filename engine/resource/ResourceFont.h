#pragma once
// A bitmap font of the resource lists. The resource's file is the font
// description: the glyphs under "font" and a vector of "layers", each an
// image (with an optional mask) beside the description. Its payload is the
// FontBitmap.
#include <string>

#include "engine/core/SmartPtr.h"
#include "engine/io/ObjectInitializer.h"
#include "engine/io/ResourceObject.h"

namespace ZQ2 {

class FontBitmap;
class PropertyNode;

extern const char* const PROP_FONT;
extern const char* const PROP_LAYERS;

class ResourceFont : public ResourceObject {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    explicit ResourceFont(AbstractProperty* property);
    explicit ResourceFont(const std::string& file);
    ~ResourceFont() override;
    const RTTI& GetRTTI() const override { return rtti; }

    static BaseObject* OnData(AbstractProperty* data);

    // A layer whose image fails is left out and its error kept; the font
    // keeps the layers that loaded.
    void Load() override;
    BaseObject* GetResource() override;
    void FreeResource() override;
    bool Equals(ResourceObject* other) override;

    FontBitmap* GetFont() const;

private:
    static ObjectInitializer m_ObjectInitializer;
    static ObjectInitializer m_ClassNameInitializer;

    void AddLayer(PropertyNode* layer, const std::string& folder);

    SmartPtr<FontBitmap> m_pFont;
};

}  // namespace ZQ2
