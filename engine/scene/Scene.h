#pragma once
// One full screen of the game (splash, menu, map, level...): a dialog that
// the scene manager enters and leaves, owning the dialogs shown over it and
// the animation container of everything animated inside it.
#include <map>
#include <string>

#include "engine/core/SmartPtr.h"
#include "engine/core/ZQVector.h"
#include "engine/sprite/Dialog.h"

namespace ZQ2 {

class AbstractProperty;
class ModifierContainer;
class PropertyNode;

extern const char* const PROP_SCENECOMPONENTS;
extern const char* const PROP_SCENEBACKGROUND;

class Scene : public Dialog {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    enum eState { STATE_NEW = 0, STATE_ENTERED = 1, STATE_INITIALIZED = 2 };

    // Labels lay their text out again this long after the scene first ticks.
    static constexpr int LABEL_REFRESH_DELAY_MS = 100;

    explicit Scene(AbstractProperty* data);
    ~Scene() override;
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    static BaseObject* OnData(AbstractProperty* data);
    static ObjectInitializer m_ObjectInitializer;

    const RTTI& GetRTTI() const override { return rtti; }

    // The manager calls OnActivate, then OnEnter; OnDeactivate when leaving.
    void OnActivate() override;
    virtual void OnEnter();
    void OnDeactivate() override;
    // Builds the components of the scene's data; runs once, lazily.
    virtual void Initialize();
    // Whether the scene takes care of a request to close the window.
    virtual bool HandleCloseMessage() { return false; }

    void Tick(int deltaMs) override;

    // The background image named by the data, when it names one.
    void SetProperties(PropertyNode* data);
    void InitScene();
    // Marks every label of the subtree for a new layout.
    static void SetAllLabelsDirty(GameNode* node);

    // An existing dialog of that name is returned (taken down first when
    // shown); otherwise one is built from the dialog catalogue, or null.
    Dialog* ConstructDialog(const std::string& type, std::string name = std::string());
    void ActivateDialog(Dialog* dialog);
    void DeactivateDialog(Dialog* dialog);
    void DeactivateAllDialogs();
    bool IsActiveDialog(Dialog* dialog) const;
    bool IsActiveDialog(const std::string& name) const;
    void RemoveDialog(const std::string& name);
    void RemoveDialog(Dialog* dialog);
    void RemoveAllDialogs();
    Dialog* GetDialog(const std::string& name) const;
    // Most recently activated first.
    const ZQVector<SmartPtr<Dialog> >& GetActiveDialogs() const { return m_ActiveDialogs; }

    int GetState() const { return m_nState; }
    void SetState(int state) { m_nState = state; }
    ModifierContainer* GetAnimContainer() const { return m_pAnimContainer; }

private:
    int m_nState = STATE_NEW;
    std::map<std::string, SmartPtr<Dialog> > m_Dialogs;
    ZQVector<SmartPtr<Dialog> > m_ActiveDialogs;
    ModifierContainer* m_pAnimContainer = nullptr;
    bool m_bLabelsDirtyPending = true;
    int m_nLabelCountdown = LABEL_REFRESH_DELAY_MS;
};

}  // namespace ZQ2
