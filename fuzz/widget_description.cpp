// Builds widgets (dialogs, panels, painters, buttons, web-link buttons)
// from arbitrary XML descriptions through the object factory, then looks
// components up and feeds each widget mouse and key input.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/core/SmartPtr.h"
#include "engine/framework/KeyboardMessageData.h"
#include "engine/framework/MouseMessageData.h"
#include "engine/io/ObjectFactory.h"
#include "engine/io/PropertyStore.h"
#include "engine/io/PropertyVector.h"
#include "engine/sprite/Button.h"
#include "engine/sprite/Dialog.h"
#include "engine/sprite/DialogPainter.h"
#include "fuzz/DropFileKeys.h"

namespace {

void Exercise(ZQ2::iInputListener* listener, uint8_t seed) {
    const float x = static_cast<float>(seed % 64);
    const float y = static_cast<float>(seed / 4 % 64);
    const ZQ2::MouseMessageData press(x, y, ZQ2::MOUSESTATE_LEFT, false);
    const ZQ2::MouseMessageData far(x + 9.0f, y - 7.0f, 0, false);
    const ZQ2::KeyboardMessageData key(seed, ZQ2::SYSKEY_NONE);
    listener->OnMouseMoved(press);
    listener->OnMouseLeftDown(press);
    listener->OnMouseMoved(far);
    listener->OnMouseLeftUp(far);
    listener->OnMouseLeftDown(press);
    listener->OnMouseLeftUp(press);
    listener->OnKeyDown(key);
    listener->OnKeyUp(key);
    listener->ResetInputState();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    ZQ2::SmartPtr<ZQ2::PropertyStore> store(new ZQ2::PropertyStore);
    if (!store->ParseFromBuffer(text.c_str()))
        return 0;
    DropFileKeys(store.Get(), 0);
    const uint8_t seed = size ? data[size - 1] : 0;
    for (int i = 0; i < store->GetCount() && i < 16; ++i) {
        ZQ2::SmartPtr<ZQ2::BaseObject> object(ZQ2::ObjectFactory::Instance()->CreateObject(store->GetChild(i)));
        if (auto* painter = ZQ2::DynamicCast<ZQ2::AbstractPainter>(object.Get())) {
            painter->GetPreferredWidth(static_cast<float>(seed));
            painter->GetPreferredHeight(-1.0f);
        }
        if (auto* panel = ZQ2::DynamicCast<ZQ2::Panel>(object.Get())) {
            panel->GetComponent("ok");
            panel->GetComponent(std::string());
        }
        if (auto* dialog = ZQ2::DynamicCast<ZQ2::Dialog>(object.Get())) {
            dialog->OnActivate();
            if (auto* button = ZQ2::DynamicCast<ZQ2::Button>(dialog->GetComponent("ok")))
                Exercise(button, seed);
        }
        if (auto* listener = ZQ2::QueryInterface<ZQ2::iInputListener>(object.Get()))
            Exercise(listener, seed);
    }
    return 0;
}
