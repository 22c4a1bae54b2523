// Feeds arbitrary bytes to the font description reader: the property store's
// XML reader, a bitmap font built from its "font" node, bare and then with
// two small layers, measuring and laying out text and drawing it through a
// drawing context whose renderer draws nothing (the tests' recording one).
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/core/SmartPtr.h"
#include "engine/core/UTF8Iterator.h"
#include "engine/core/UTF8String.h"
#include "engine/graphics/FontBitmap.h"
#include "engine/graphics/FontCharPositions.h"
#include "engine/graphics/FontDrawSettings.h"
#include "engine/graphics/FontLayer.h"
#include "engine/graphics/Graphics.h"
#include "engine/graphics/Image.h"
#include "engine/graphics/ImageDataOpenGL.h"
#include "engine/io/PropertyStore.h"
#include "tests/engine/graphics/RecordingRenderer.h"

namespace {

// The test suite's renderer without GL; what it records is dropped every run.
ZQ2::Graphics* Context() {
    static GraphicsTestSupport::RecordingRenderer* renderer = GraphicsTestSupport::RecordingRenderer::Install(256, 128);
    renderer->m_Calls.clear();
    return renderer->GetBackBufferGraphics();
}

ZQ2::Image* SmallImage(int width, int height, bool alphaOnly) {
    auto* data = new ZQ2::ImageDataOpenGL(width, height, width, height, true);
    data->SetAlphaOnly(alphaOnly);
    return new ZQ2::Image(data, 1, 1);
}

void Measure(const ZQ2::FontBitmap& font, const ZQ2::UTF8String& text) {
    ZQ2::FontCharPositions positions;
    font.GetCharacterDrawOffsets(text, positions, 1.0f, 0, -1);
    font.GetCharacterDrawOffsets(text, positions, -2.0f, 1, 3);
    for (int kind = 0; kind < ZQ2::FONTWIDTH_COUNT; ++kind)
        font.GetStringWidth(text, 0.0f, static_cast<ZQ2::eFontWidth>(kind), 0, -1);
    for (ZQ2::UTF8Iterator it(text); it.IsInside(); it.Next())
        font.HasCharacter(it.GetCurrent());
}

void Draw(const ZQ2::FontBitmap& font, const ZQ2::UTF8String& text) {
    ZQ2::FontDrawSettings settings;
    settings.AddLine(ZQ2::FontLine(text, font.GetStringWidth(text, 0.0f, ZQ2::FONTWIDTH_BOX, 0, -1),
                                   ZQ2::Point_t<float>(3.0f, 4.0f)));
    settings.AddLine(ZQ2::FontLine("\"A V\" 'b' \xC2\xB0", 0.0f, ZQ2::Point_t<float>(0.0f, font.GetLineHeight())));
    settings.SetLayerColor(0, 0x336699);
    ZQ2::Graphics* graphics = Context();
    graphics->ResetSettings();
    graphics->SetRotation(0.5f);
    graphics->BeginBatch();
    font.Render(graphics, settings);
    graphics->EndBatch();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    ZQ2::SmartPtr<ZQ2::PropertyStore> store(new ZQ2::PropertyStore);
    if (!store->ParseFromBuffer(text.c_str()))
        return 0;
    ZQ2::SmartPtr<ZQ2::FontBitmap> font(new ZQ2::FontBitmap(store->GetNode("font")));
    // The input's own tail as text too: its bytes need not be valid UTF-8.
    const ZQ2::UTF8String tail(text.substr(text.size() > 48 ? text.size() - 48 : 0));
    const ZQ2::UTF8String sample("AV. \xE2\x80\x9C" "q\xE2\x80\x9D\t\xC2\xA0" "a'b`c\xE2\x80\x82z");
    Measure(*font, sample);
    Measure(*font, tail);
    font->GetCharHeight();
    font->GetMatteColor();

    font->AddLayer(new ZQ2::FontLayer(0.0f, 0x112233, ZQ2::SmartPtr<ZQ2::Image>(SmallImage(16, 8, true))));
    font->AddLayer(new ZQ2::FontLayer(2.0f, 0x445566, ZQ2::SmartPtr<ZQ2::Image>(SmallImage(24, 12, false))));
    Measure(*font, sample);
    Draw(*font, sample);
    Draw(*font, tail);
    return 0;
}
