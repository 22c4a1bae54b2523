#pragma once
// Asks for the name of a new player profile; on a valid name it creates the
// player, makes it current and closes itself and the player selection.
#include "source/dialogs/DialogDelvor.h"

namespace ZQ2 {
class Button;
class LabelInput;
class MouseMessageData;
}  // namespace ZQ2

extern const char* const DIALOG_NEWPLAYER;
extern const char* const DIALOG_PLAYER_EXISTS;

class DialogNameInput : public DialogDelvor {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    explicit DialogNameInput(ZQ2::AbstractProperty* data);
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* data);
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    void OnActivate() override;
    // A click anywhere never takes the keyboard away from the field.
    bool OnMouseLeftDown(const ZQ2::MouseMessageData& m) override;
    bool OnMouseLeftUp(const ZQ2::MouseMessageData& m) override;

    static void OnOkClick(ZQ2::BaseObject* dialog, ZQ2::BaseObject* sender);
    static void OnCancelClick(ZQ2::BaseObject* dialog, ZQ2::BaseObject* sender);
    static void OnInputChange(ZQ2::BaseObject* dialog, ZQ2::BaseObject* sender);

    ZQ2::LabelInput* GetInput() const { return m_pInput; }
    ZQ2::Button* GetOkButton() const { return m_pOk; }
    ZQ2::Button* GetCancelButton() const { return m_pCancel; }

private:
    std::string TrimmedName() const;
    void Confirm();
    void FocusInput();

    // Components of this dialog, owned by its component tree.
    ZQ2::LabelInput* m_pInput = nullptr;
    ZQ2::Button* m_pOk = nullptr;
    ZQ2::Button* m_pCancel = nullptr;
};
