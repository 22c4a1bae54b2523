// Dialogs: components from data bound to the command handler, painters from
// a node or a blueprint and the sizes they give, modal input and dragging,
// and callbacks that never reach a dialog that is gone.
#include "engine/sprite/Dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/io/DataManager.h"
#include "engine/sprite/Button.h"
#include "engine/sprite/DialogPainter.h"
#include "tests/engine/sprite/WidgetTestSupport.h"

using namespace ZQ2;
using WidgetTest::MakeImage;
using WidgetTest::Mouse;

namespace {

// Records the commands it is sent, with the sender's name.
class RecordingDialog : public Dialog {
public:
    explicit RecordingDialog(AbstractProperty* data) : Dialog(data) {}
    void HandleCommand(const std::string& command, GameNode* sender) override {
        m_Commands.push_back(command + "<" + (sender ? sender->GetName() : std::string("null")));
    }
    std::vector<std::string> m_Commands;
};

SmartPtr<PropertyStore> Parse(const std::string& element) {
    SmartPtr<PropertyStore> store(new PropertyStore);
    EXPECT_TRUE(store->ParseFromBuffer(("<root>" + element + "</root>").c_str())) << element;
    return store;
}

SmartPtr<RecordingDialog> MakeDialog(const std::string& element) {
    SmartPtr<PropertyStore> store = Parse(element);
    return SmartPtr<RecordingDialog>(new RecordingDialog(store->GetChild(0)));
}

void Click(GameNode* node) {
    auto* button = DynamicCast<Button>(node);
    ASSERT_NE(button, nullptr);
    const float x = button->GetX() + 1.0f;
    const float y = button->GetY() + 1.0f;
    button->OnMouseLeftDown(Mouse(x, y));
    button->OnMouseLeftUp(Mouse(x, y));
}

const char* const kCommandDialog =
    "<Dialog width=\"100\" height=\"80\">"
    "<Vector id=\"panelcomponents\"><Button name=\"raw\" x=\"70\" y=\"50\" width=\"10\" height=\"10\"/></Vector>"
    "<Vector id=\"components\">"
    "  <Button name=\"ok\" x=\"10\" y=\"10\" width=\"20\" height=\"10\" command=\"accept\"/>"
    "  <Button name=\"cancel\" x=\"40\" y=\"10\" width=\"20\" height=\"10\"/>"
    "  <Panel name=\"group\"><Vector id=\"panelcomponents\">"
    "    <Button name=\"nested\" x=\"10\" y=\"40\" width=\"20\" height=\"10\"/>"
    "  </Vector></Panel>"
    "</Vector></Dialog>";

TEST(Dialog, ComponentsFromDataSendTheirCommandOrName) {
    SmartPtr<RecordingDialog> dialog = MakeDialog(kCommandDialog);
    Click(dialog->GetComponent("ok"));
    Click(dialog->GetComponent("cancel"));
    Click(dialog->GetComponent("nested"));
    Click(dialog->GetComponent("raw"));  // a panel component: not bound
    EXPECT_EQ(dialog->m_Commands, (std::vector<std::string>{"accept<ok", "cancel<cancel", "nested<nested"}));
}


TEST(Dialog, BindingKeepsEarlierCallbacksAndBindsByName) {
    SmartPtr<RecordingDialog> dialog = MakeDialog(kCommandDialog);
    std::vector<std::string> heard;
    static std::vector<std::string>* s_pHeard = nullptr;
    s_pHeard = &heard;
    auto record = [](BaseObject*, BaseObject* sender) { s_pHeard->push_back(Dialog::GetComponentName(sender)); };

    auto* own = new Button(0.0f, 0.0f, nullptr, nullptr, record);
    own->SetName("own");
    own->SetDimension(5.0f, 5.0f);
    dialog->AddComponent(own, true);
    EXPECT_EQ(own->GetTarget(), nullptr) << "bound before it was added: kept";
    Click(own);

    EXPECT_EQ(dialog->BindComponent("cancel", record), dialog->GetComponent("cancel"));
    EXPECT_EQ(DynamicCast<Button>(dialog->GetComponent("cancel"))->GetTarget(), dialog.Get()) << "target kept";
    Click(dialog->GetComponent("cancel"));
    EXPECT_EQ(dialog->BindComponent("nobody", record), nullptr);
    EXPECT_EQ(Dialog::BindComponent(static_cast<GameNode*>(nullptr), record), nullptr);

    SmartPtr<Sprite> target(new Sprite(0.0f, 0.0f, 1.0f, 1.0f));
    dialog->BindComponent("ok", target.Get(), &Dialog::HandleCommand_Callback);
    Click(dialog->GetComponent("ok"));  // the target is no dialog: nothing happens
    EXPECT_EQ(heard, (std::vector<std::string>{"own", "cancel"}));
    EXPECT_TRUE(dialog->m_Commands.empty());
    EXPECT_EQ(Dialog::GetComponentName(target.Get()), "");
    EXPECT_EQ(Dialog::GetComponentName(nullptr), "");
}

TEST(Dialog, AComponentThatOutlivesItsDialogNoLongerCallsIt) {
    SmartPtr<RecordingDialog> dialog = MakeDialog(kCommandDialog);
    SmartPtr<Button> ok(DynamicCast<Button>(dialog->GetComponent("ok")));
    SmartPtr<Button> raw(DynamicCast<Button>(dialog->GetComponent("raw")));
    raw->SetTargetAndMethod(dialog.Get(), &Dialog::HandleCommand_Callback);
    dialog = nullptr;
    EXPECT_EQ(ok->GetMethod(), nullptr);
    EXPECT_EQ(raw->GetMethod(), nullptr);
    Click(ok.Get());  // must not reach the dead dialog
}

// A dialog whose handler lets go of the last reference to it, as closing a
// dialog may; the click that got there must not touch either afterwards.
class SelfClosingDialog : public Dialog {
public:
    explicit SelfClosingDialog(AbstractProperty* data) : Dialog(data) {}
    void HandleCommand(const std::string& command, GameNode*) override {
        s_Heard = command;
        s_spOpen = nullptr;
    }
    static inline SmartPtr<Dialog> s_spOpen;
    static inline std::string s_Heard;
};

TEST(Dialog, AHandlerMayReleaseItsOwnDialog) {
    SmartPtr<PropertyStore> store = Parse(kCommandDialog);
    SelfClosingDialog::s_spOpen = new SelfClosingDialog(store->GetChild(0));
    SmartPtr<Button> ok(DynamicCast<Button>(SelfClosingDialog::s_spOpen->GetComponent("ok")));
    Click(ok.Get());
    EXPECT_EQ(SelfClosingDialog::s_Heard, "accept");
    EXPECT_EQ(SelfClosingDialog::s_spOpen.Get(), nullptr);
    EXPECT_EQ(ok->GetMethod(), nullptr) << "the dialog is gone and unbound its button";
    EXPECT_TRUE(ok->GetState().IsEmpty());
}

TEST(Dialog, ListenerPartAndActivation) {
    SmartPtr<RecordingDialog> dialog = MakeDialog("<Dialog width=\"10\" height=\"10\"/>");
    iInputListener* listener = QueryInterface<iInputListener>(dialog.Get());
    ASSERT_EQ(listener, static_cast<iInputListener*>(dialog.Get()));
    EXPECT_EQ(listener->QueryBaseObject(), dialog.Get());
    EXPECT_TRUE(listener->IsExclusiveInput());
    EXPECT_TRUE(listener->IsInputListenerActive());
    EXPECT_FALSE(listener->DoChildrenReceiveInput()) << "until activated";
    EXPECT_NE(QueryInterface<iRenderable>(dialog.Get()), nullptr);

    dialog->OnActivate();
    EXPECT_TRUE(listener->DoChildrenReceiveInput());
    EXPECT_TRUE(dialog->IsBackgroundDirty());
    dialog->OnDeactivate();
    EXPECT_FALSE(listener->DoChildrenReceiveInput());
}

// ---- painters and sizes

class DialogPainterSizing : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* corner : {"tl", "tr", "bl", "br"})
            m_Images.Add(std::string("ui/") + corner, MakeImage(12, 12).Get());
        m_Images.Add("ui/t", MakeImage(8, 8).Get());
        m_Images.Add("ui/b", MakeImage(8, 8).Get());
        m_Images.Add("ui/l", MakeImage(8, 8).Get());
        m_Images.Add("ui/r", MakeImage(8, 8).Get());
        m_Images.Add("ui/back", MakeImage(30, 20).Get());
        DataManager::CreateInstance();
        SmartPtr<PropertyStore> blueprint = Parse(Painter("frame", "centeralpha=\"7\""));
        DataManager::g_Instance->GetBlueprints()->InsertProperty(blueprint->GetChild(0)->Clone());
    }
    void TearDown() override { DataManager::ReleaseInstance(); }

    static std::string Painter(const char* id, const char* attributes) {
        return std::string("<DialogPainter id=\"") + id + "\" section=\"ui\" " + attributes +
               "><Vector id=\"images\"><String value=\"tl\"/><String value=\"t\"/><String value=\"tr\"/>"
               "<String value=\"l\"/><String value=\"\"/><String value=\"r\"/><String value=\"bl\"/>"
               "<String value=\"b\"/><String value=\"br\"/></Vector></DialogPainter>";
    }
    static int CenterAlpha(Dialog* dialog) {
        auto* painter = DynamicCast<DialogPainter>(dialog->GetPainter());
        return painter ? painter->GetCenterAlpha() : -1;
    }

    WidgetTest::FakeImages m_Images;
};

TEST_F(DialogPainterSizing, PainterNodeWinsOverBlueprint) {
    SmartPtr<Dialog> both = MakeDialog("<Dialog painterid=\"frame\">" + Painter("painter", "centeralpha=\"9\"") +
                                       "</Dialog>");
    EXPECT_EQ(CenterAlpha(both.Get()), 9);
    SmartPtr<Dialog> blueprint = MakeDialog("<Dialog painterid=\"frame\"/>");
    EXPECT_EQ(CenterAlpha(blueprint.Get()), 7);
    SmartPtr<Dialog> unknown = MakeDialog("<Dialog painterid=\"nothing\" width=\"33\" height=\"44\"/>");
    EXPECT_EQ(unknown->GetPainter(), nullptr);
    EXPECT_EQ(unknown->GetRequestedWidth(), 33.0f) << "without a painter the sprite's size is the request";
    EXPECT_EQ(unknown->GetRequestedHeight(), 44.0f);
}

TEST_F(DialogPainterSizing, SizesPassThroughThePainter) {
    SmartPtr<Dialog> dialog = MakeDialog("<Dialog painterid=\"frame\" minwidth=\"100\" minheight=\"30\"/>");
    EXPECT_EQ(dialog->GetWidth(), 104.0f);
    EXPECT_EQ(dialog->GetHeight(), 32.0f);
    EXPECT_EQ(dialog->GetRequestedWidth(), 100.0f);
    dialog->SetWidth(50.0f);
    EXPECT_EQ(dialog->GetWidth(), 56.0f);

    // Without a minimum the empty value, 0, is asked for: the borders.
    SmartPtr<Dialog> bare = MakeDialog("<Dialog painterid=\"frame\" width=\"70\"/>");
    EXPECT_EQ(bare->GetWidth(), 24.0f);

    SmartPtr<Dialog> fixed = MakeDialog("<Dialog painterid=\"frame\" autoenlarge=\"false\" width=\"70\" "
                                        "height=\"50\" minwidth=\"100\"/>");
    EXPECT_EQ(fixed->GetWidth(), 70.0f) << "no minimum read without auto-enlarge";
    fixed->SetWidth(50.0f);
    EXPECT_EQ(fixed->GetWidth(), 50.0f);
}

TEST_F(DialogPainterSizing, APainterSetInCodeStartsFromTheBorders) {
    SmartPtr<Dialog> dialog(new Dialog(nullptr));
    SmartPtr<BaseObject> painter(DataManager::g_Instance->ConstructBlueprintObject("frame"));
    dialog->SetPainter(DynamicCast<AbstractPainter>(painter.Get()));
    EXPECT_EQ(dialog->GetWidth(), 24.0f) << "nothing requested yet";
    EXPECT_EQ(dialog->GetHeight(), 24.0f);
    EXPECT_TRUE(dialog->GetPainter()->IsRepaint());

    dialog->SetWidth(41.0f);
    dialog->SetPainter(nullptr);
    EXPECT_EQ(dialog->GetWidth(), 41.0f) << "the request stands without the painter";
    EXPECT_TRUE(dialog->IsBackgroundDirty());
}

TEST_F(DialogPainterSizing, BackgroundImageGivesTheSize) {
    SmartPtr<Dialog> dialog = MakeDialog("<Dialog background=\"back\" section=\"ui\" width=\"5\" height=\"5\"/>");
    ASSERT_NE(dialog->GetBackgroundImage(), nullptr);
    EXPECT_EQ(dialog->GetWidth(), 30.0f);
    EXPECT_EQ(dialog->GetHeight(), 20.0f);
    SmartPtr<Dialog> missing = MakeDialog("<Dialog background=\"none\" width=\"5\" height=\"5\"/>");
    EXPECT_EQ(missing->GetBackgroundImage(), nullptr);
    EXPECT_EQ(missing->GetWidth(), 5.0f);
}

TEST(Dialog, BufferOptionHidesTheLiveComponents) {
    SmartPtr<Dialog> dialog = MakeDialog("<Dialog usebuffer=\"true\" movable=\"true\" autocenter=\"true\"/>");
    EXPECT_TRUE(dialog->IsUseBufferImage());
    EXPECT_TRUE(dialog->IsMovable());
    EXPECT_TRUE(dialog->IsAutoCenter());
    EXPECT_FALSE(dialog->GetComponentRoot()->IsVisible());
    dialog->SetUseBufferImage(false);
    EXPECT_TRUE(dialog->GetComponentRoot()->IsVisible());
}

TEST(Dialog, CheckDirtyLooksAtVisibleChangedSprites) {
    SmartPtr<Dialog> dialog = MakeDialog("<Dialog usebuffer=\"true\"><Vector id=\"components\">"
                                         "<Sprite name=\"s\" width=\"4\" height=\"4\"/></Vector></Dialog>");
    auto* sprite = DynamicCast<Sprite>(dialog->GetComponent("s"));
    ASSERT_NE(sprite, nullptr);
    EXPECT_TRUE(dialog->CheckAllChildren(dialog->GetComponentRoot()));
    sprite->SetChanged(false);
    EXPECT_FALSE(dialog->CheckAllChildren(dialog->GetComponentRoot()));
    sprite->SetChanged(true);
    sprite->SetVisible(false);
    EXPECT_FALSE(Dialog::CheckDirty(sprite, dialog.Get()));
    sprite->SetVisible(true);
    sprite->SetObsolete(true);
    EXPECT_FALSE(Dialog::CheckDirty(sprite, dialog.Get()));
    EXPECT_FALSE(Dialog::CheckDirty(dialog->GetComponentRoot(), dialog.Get())) << "the root is no sprite";
}

// ---- mouse

class DialogMouse : public ::testing::Test {
protected:
    void SetUp() override {
        m_spDialog = MakeDialog("<Dialog x=\"100\" y=\"100\" width=\"100\" height=\"80\" movable=\"true\"/>");
        m_spDialog->OnActivate();
    }
    bool Down(float x, float y) { return m_spDialog->OnMouseLeftDown(Mouse(x, y, MOUSESTATE_LEFT)); }
    bool Move(float x, float y) { return m_spDialog->OnMouseMoved(Mouse(x, y, MOUSESTATE_LEFT)); }
    bool Up(float x, float y) { return m_spDialog->OnMouseLeftUp(Mouse(x, y)); }

    SmartPtr<RecordingDialog> m_spDialog;
};

TEST_F(DialogMouse, AMoveOfThreePixelsIsNoDragButFourIs) {
    ASSERT_TRUE(Down(150.0f, 150.0f));
    EXPECT_EQ(m_spDialog->GetDragState(), Dialog::DRAG_PRESSED);
    EXPECT_FALSE(Move(153.0f, 147.0f));
    EXPECT_FALSE(Move(153.9f, 147.9f)) << "truncated to 153, 147: still 3";
    EXPECT_EQ(m_spDialog->GetDragState(), Dialog::DRAG_PRESSED);
    EXPECT_TRUE(m_spDialog->DoChildrenReceiveInput());

    EXPECT_FALSE(Move(150.0f, 154.0f)) << "moves are never consumed";
    EXPECT_EQ(m_spDialog->GetDragState(), Dialog::DRAG_DRAGGING);
    EXPECT_FALSE(m_spDialog->DoChildrenReceiveInput());
    EXPECT_EQ(m_spDialog->GetX(), 100.0f);
    EXPECT_EQ(m_spDialog->GetY(), 104.0f) << "moved by the whole way from the press";
    EXPECT_FALSE(Move(160.0f, 150.0f));
    EXPECT_EQ(m_spDialog->GetX(), 110.0f);
    EXPECT_EQ(m_spDialog->GetY(), 100.0f);

    EXPECT_TRUE(Up(500.0f, 500.0f)) << "the end of a drag is consumed anywhere";
    EXPECT_EQ(m_spDialog->GetDragState(), Dialog::DRAG_IDLE);
    EXPECT_TRUE(m_spDialog->DoChildrenReceiveInput());
}

TEST_F(DialogMouse, ReleaseWithoutDragIsConsumedOnlyInside) {
    ASSERT_TRUE(Down(150.0f, 150.0f));
    EXPECT_TRUE(Up(151.0f, 151.0f));
    ASSERT_TRUE(Down(150.0f, 150.0f));
    EXPECT_FALSE(Up(20.0f, 20.0f));
    EXPECT_EQ(m_spDialog->GetDragState(), Dialog::DRAG_IDLE);
    EXPECT_FALSE(Up(150.0f, 150.0f)) << "idle: not consumed";

    EXPECT_FALSE(Down(20.0f, 20.0f)) << "outside";
    EXPECT_EQ(m_spDialog->GetDragState(), Dialog::DRAG_IDLE);

    ASSERT_TRUE(Down(150.0f, 150.0f));
    m_spDialog->ResetInputState();
    EXPECT_EQ(m_spDialog->GetDragState(), Dialog::DRAG_IDLE);
}

TEST_F(DialogMouse, AFixedDialogSwallowsPressesInsideIt) {
    m_spDialog->SetMovable(false);
    EXPECT_TRUE(Down(150.0f, 150.0f));
    EXPECT_EQ(m_spDialog->GetDragState(), Dialog::DRAG_IDLE);
    EXPECT_FALSE(Move(180.0f, 180.0f));
    EXPECT_EQ(m_spDialog->GetX(), 100.0f);
    EXPECT_FALSE(Down(99.0f, 150.0f));
}

}  // namespace
