#include "source/dialogs/DialogUpgrade.h"

#include "source/main/DelvorMain.h"
#include "source/scenes/SceneGame.h"

using namespace ZQ2;

const RTTI* const DialogUpgrade::rttis[] = {&DialogDelvor::rtti, nullptr};
const RTTI DialogUpgrade::rtti("DialogUpgrade", DialogUpgrade::rttis);

ObjectInitializer DialogUpgrade::m_ObjectInitializer("DialogUpgrade", &DialogUpgrade::OnData);

DialogUpgrade::DialogUpgrade(AbstractProperty* data) : DialogDelvor(data) { SetPlaySounds(false); }

BaseObject* DialogUpgrade::OnData(AbstractProperty* data) { return new DialogUpgrade(data); }

void DialogUpgrade::OnActivate() {
    DialogDelvor::OnActivate();
    CreateStandardShowAnimation();
    m_bClosing = false;
}

bool DialogUpgrade::OnMouseLeftUp(const MouseMessageData&) {
    OnDialogClose(this, nullptr);
    return true;
}

void DialogUpgrade::OnDialogClose(BaseObject* dialog, BaseObject*) {
    auto* self = DynamicCast<DialogUpgrade>(dialog);
    if (!self || self->m_bClosing)
        return;
    self->m_bClosing = true;
    self->SetTargetAndMethod(DelvorMain::m_SceneGame, &SceneGame::OnUpgradeDialogClosed);
    self->CreateStandardHideAnimation();
}
