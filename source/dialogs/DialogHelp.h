#pragma once
// The help pages: four pictures from the section "help", each with its
// header from the "HELP_HEADERS" texts, turned with previous and next.
#include "engine/core/SmartPtr.h"
#include "engine/io/PropertyVector.h"
#include "source/dialogs/DialogDelvor.h"

namespace ZQ2 {
class Button;
class Label;
class Sprite;
}  // namespace ZQ2

class DialogHelp : public DialogDelvor {
public:
    static const ZQ2::RTTI* const rttis[];
    static const ZQ2::RTTI rtti;
    static ZQ2::ObjectInitializer m_ObjectInitializer;

    static constexpr int PAGE_COUNT = 4;

    explicit DialogHelp(ZQ2::AbstractProperty* data);
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* data);
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    // Fades in after a short delay, always on page 1.
    void OnActivate() override;
    // The page's header; empty when the texts hold none for it.
    void BuildHelpPage();
    void ShowHelpScreen();

    static void OnNextClick(ZQ2::BaseObject* dialog, ZQ2::BaseObject* sender);
    static void OnPrevClick(ZQ2::BaseObject* dialog, ZQ2::BaseObject* sender);
    static void OnOkClick(ZQ2::BaseObject* dialog, ZQ2::BaseObject* sender);

    int GetPage() const { return m_iPage; }
    ZQ2::Label* GetHeaderLabel() const { return m_pHeader; }
    ZQ2::Button* GetPrevButton() const { return m_pPrev; }
    ZQ2::Button* GetNextButton() const { return m_pNext; }
    ZQ2::Button* GetOkButton() const { return m_pOk; }
    ZQ2::Sprite* GetScreen() const { return m_spScreen.Get(); }

private:
    ZQ2::SmartPtr<ZQ2::PropertyVector> m_spHeaders;
    ZQ2::SmartPtr<ZQ2::Sprite> m_spScreen;
    // Components of this dialog, owned by its component tree.
    ZQ2::Label* m_pHeader = nullptr;
    ZQ2::Button* m_pPrev = nullptr;
    ZQ2::Button* m_pNext = nullptr;
    ZQ2::Button* m_pOk = nullptr;
    int m_iPage = 1;
};
