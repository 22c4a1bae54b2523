#include "source/dialogs/DialogCredits.h"

#include "engine/core/Platform.h"
#include "engine/sprite/Label.h"

using namespace ZQ2;

const RTTI* const DialogCredits::rttis[] = {&DialogDelvor::rtti, nullptr};
const RTTI DialogCredits::rtti("DialogCredits", DialogCredits::rttis);

ObjectInitializer DialogCredits::m_ObjectInitializer("DialogCredits", &DialogCredits::OnData);

DialogCredits::DialogCredits(AbstractProperty* data) : DialogDelvor(data) {
    if (auto* version = DynamicCast<Label>(GetComponent("VERSION")))
        version->SetText(Platform::GetGameVersion());
    BindComponent("BUTTON_OK", this, &DialogDelvor::CreateStandardHideAnimation);
}

BaseObject* DialogCredits::OnData(AbstractProperty* data) { return new DialogCredits(data); }

bool DialogCredits::OnMouseLeftDown(const MouseMessageData&) { return true; }
