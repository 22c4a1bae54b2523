// Feeds arbitrary bytes as tagged text to a styled label: the scan for words
// and tags, every tag family with whatever values the bytes carry, and the
// layout of words around inline pictures in all three wrap styles. Fonts and
// pictures named "f,s" and "p,s" exist; everything else is missing.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/core/SmartPtr.h"
#include "engine/graphics/Image.h"
#include "engine/graphics/ImageDataOpenGL.h"
#include "engine/sprite/LabelStyle.h"
#include "engine/sprite/ResourceLookup.h"
#include "tests/engine/sprite/FakeFont.h"

namespace {

SpriteTestSupport::FakeFont* BodyFont() {
    static ZQ2::SmartPtr<SpriteTestSupport::FakeFont> font(new SpriteTestSupport::FakeFont);
    return font.Get();
}

SpriteTestSupport::FakeFont* TagFont() {
    static ZQ2::SmartPtr<SpriteTestSupport::FakeFont> font = [] {
        ZQ2::SmartPtr<SpriteTestSupport::FakeFont> made(new SpriteTestSupport::FakeFont);
        made->m_fDefaultWidth = 7.0f;
        made->m_fLineHeight = 0.0f;
        made->m_fPadding = 3.0f;
        return made;
    }();
    return font.Get();
}

ZQ2::BaseObject* Resource(const std::string& name, const std::string& section) {
    return name == "f" && section == "s" ? TagFont() : nullptr;
}

ZQ2::Image* Picture(const std::string& name, const std::string& section, const std::string*) {
    static ZQ2::SmartPtr<ZQ2::Image> picture(new ZQ2::Image(new ZQ2::ImageDataOpenGL(24, 40, 32, 64, true), 1, 1));
    return name == "p" && section == "s" ? picture.Get() : nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ZQ2::ResourceLookup::SetResourceSource(&Resource);
    ZQ2::ResourceLookup::SetImageSource(&Picture);
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (int style = 0; style < 3; ++style) {
        ZQ2::SmartPtr<ZQ2::LabelStyle> label(
            new ZQ2::LabelStyle(BodyFont(), 0.0f, 0.0f, 120.0f, 30.0f, static_cast<ZQ2::eTextWrapStyle>(style)));
        label->SetGrowBox(style == 0);
        label->SetText(text);
    }
    return 0;
}
