#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "engine/core/BaseObject.h"
#include "engine/core/Interface.h"
#include "engine/core/Lockable.h"
#include "engine/core/SmartPtr.h"
#include "engine/core/iGuiMethod.h"
#include "engine/core/iInstance.h"

using namespace ZQ2;

namespace {

// A small class tree shaped like the engine's: a node, a drawable node that
// mixes in two interfaces, and a widget that mixes in a third.
class iDrawable : public Interface {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;
    const RTTI& GetRTTI() const override { return rtti; }
};
const RTTI* const iDrawable::rttis[] = {&Interface::rtti, nullptr};
const RTTI iDrawable::rtti("iDrawable", iDrawable::rttis);

class iClickable : public Interface {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;
    const RTTI& GetRTTI() const override { return rtti; }
};
const RTTI* const iClickable::rttis[] = {&Interface::rtti, nullptr};
const RTTI iClickable::rtti("iClickable", iClickable::rttis);

int g_nDestroyed = 0;

class Node : public BaseObject {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;
    ~Node() override { ++g_nDestroyed; }
    const RTTI& GetRTTI() const override { return rtti; }
};
const RTTI* const Node::rttis[] = {&BaseObject::rtti, nullptr};
const RTTI Node::rtti("Node", Node::rttis);

class Picture : public Node, public iDrawable {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;
    const RTTI& GetRTTI() const override { return rtti; }
    void* QueryInterface(const RTTI& which) override {
        if (&which == &iDrawable::rtti)
            return static_cast<iDrawable*>(this);
        return Node::QueryInterface(which);
    }
    BaseObject* QueryBaseObject() override { return this; }
};
const RTTI* const Picture::rttis[] = {&Node::rtti, &iDrawable::rtti, nullptr};
const RTTI Picture::rtti("Picture", Picture::rttis);

class Widget : public Picture, public iClickable {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;
    const RTTI& GetRTTI() const override { return rtti; }
    void* QueryInterface(const RTTI& which) override {
        if (&which == &iClickable::rtti)
            return static_cast<iClickable*>(this);
        return Picture::QueryInterface(which);
    }
    BaseObject* QueryBaseObject() override { return this; }
};
const RTTI* const Widget::rttis[] = {&Picture::rtti, &iClickable::rtti, nullptr};
const RTTI Widget::rtti("Widget", Widget::rttis);

}  // namespace

TEST(ReferenceCount, ReleaseToZeroDestroys) {
    g_nDestroyed = 0;
    auto* once = new Node;
    EXPECT_EQ(once->GetRefCount(), 0);
    once->AddRef();
    once->Release();
    EXPECT_EQ(g_nDestroyed, 1);

    auto* twice = new Node;
    twice->AddRef();
    twice->AddRef();
    twice->Release();
    EXPECT_EQ(g_nDestroyed, 1);
    twice->Release();
    EXPECT_EQ(g_nDestroyed, 2);
}

TEST(SmartPtr, HoldsOneReferenceAndSurvivesSelfAssignment) {
    g_nDestroyed = 0;
    {
        SmartPtr<Node> a(new Node);
        EXPECT_EQ(a->GetRefCount(), 1);
        SmartPtr<Node> b(a);
        EXPECT_EQ(a->GetRefCount(), 2);
        a = a.Get();  // takes the new reference before dropping the old one
        EXPECT_EQ(g_nDestroyed, 0);
        EXPECT_EQ(a->GetRefCount(), 2);
        const auto& self = a;  // self-assignment through an alias
        a = self;
        EXPECT_EQ(a->GetRefCount(), 2);
        b = nullptr;
        EXPECT_EQ(b.Get(), nullptr);
        EXPECT_EQ(a->GetRefCount(), 1);
    }
    EXPECT_EQ(g_nDestroyed, 1);
}

TEST(SmartPtr, AssigningAnObjectOnlyTheOldPointeeKeepsAlive) {
    // The object is the only thing keeping a child alive, as in a tree.
    struct Holder : public Node {
        SmartPtr<Node> child;
    };
    g_nDestroyed = 0;
    SmartPtr<Node> p(new Holder);
    static_cast<Holder*>(p.Get())->child = new Node;
    Node* child = static_cast<Holder*>(p.Get())->child;
    p = child;
    EXPECT_EQ(g_nDestroyed, 1);  // the holder went, the child lives on in p
    EXPECT_EQ(p->GetRefCount(), 1);
}

TEST(RTTI, DerivesFromFollowsEveryParent) {
    EXPECT_TRUE(Widget::rtti.DerivesFrom(Widget::rtti));
    EXPECT_TRUE(Widget::rtti.DerivesFrom(Node::rtti));
    EXPECT_TRUE(Widget::rtti.DerivesFrom(BaseObject::rtti));
    EXPECT_TRUE(Widget::rtti.DerivesFrom(iClickable::rtti));
    EXPECT_TRUE(Widget::rtti.DerivesFrom(iDrawable::rtti));
    EXPECT_TRUE(Widget::rtti.DerivesFrom(Interface::rtti));
    EXPECT_FALSE(Picture::rtti.DerivesFrom(iClickable::rtti));
    EXPECT_FALSE(Node::rtti.DerivesFrom(Picture::rtti));
    EXPECT_FALSE(BaseObject::rtti.DerivesFrom(Interface::rtti));
}

TEST(RTTI, GuardedCastUsesTheRecords) {
    SmartPtr<Node> widget(new Widget);
    EXPECT_NE(DynamicCast<Picture>(widget.Get()), nullptr);
    SmartPtr<Node> node(new Node);
    EXPECT_EQ(DynamicCast<Picture>(node.Get()), nullptr);
    EXPECT_EQ(DynamicCast<Picture>(static_cast<BaseObject*>(nullptr)), nullptr);
}

TEST(QueryInterface, AnswersOnlyInterfaceRecords) {
    SmartPtr<Widget> widget(new Widget);
    auto* clickable = QueryInterface<iClickable>(widget.Get());
    auto* drawable = QueryInterface<iDrawable>(widget.Get());
    ASSERT_NE(clickable, nullptr);
    ASSERT_NE(drawable, nullptr);
    EXPECT_EQ(clickable, static_cast<iClickable*>(widget.Get()));
    EXPECT_EQ(drawable, static_cast<iDrawable*>(widget.Get()));
    EXPECT_EQ(clickable->QueryBaseObject(), widget.Get());
    EXPECT_EQ(drawable->QueryBaseObject(), widget.Get());
    EXPECT_EQ(widget->QueryInterface(Widget::rtti), nullptr);
    EXPECT_EQ(widget->QueryInterface(BaseObject::rtti), nullptr);
}

TEST(BaseObject, TextFormsCarryRecordNameAndAddress) {
    SmartPtr<Node> node(new Node);
    char address[32];
    std::snprintf(address, sizeof address, "0x%llX",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(node.Get())));
    EXPECT_EQ(node->ToStringShort(), std::string("Node: ") + address);
    EXPECT_EQ(node->ToString(), std::string("Node: ") + address + "; ");
}

TEST(iGuiMethod, CallsWithTargetThenSender) {
    static BaseObject* s_pTarget = nullptr;
    static BaseObject* s_pSender = nullptr;
    static int s_nCalls = 0;
    SmartPtr<Node> target(new Node);
    SmartPtr<Node> sender(new Node);

    iGuiMethod unbound(target, nullptr);
    unbound.TryExecuteMethod(sender);
    EXPECT_EQ(s_nCalls, 0);

    iGuiMethod bound(target, [](BaseObject* t, BaseObject* s) {
        s_pTarget = t;
        s_pSender = s;
        ++s_nCalls;
    });
    bound.TryExecuteMethod(sender);
    EXPECT_EQ(s_nCalls, 1);
    EXPECT_EQ(s_pTarget, target.Get());
    EXPECT_EQ(s_pSender, sender.Get());
}

namespace {

class CountingLock : public Lockable {
public:
    int m_nDoLocks = 0;
    int m_nDoUnlocks = 0;
    bool m_bRefuse = false;

protected:
    bool DoLock(bool) override {
        ++m_nDoLocks;
        return !m_bRefuse;
    }
    bool DoUnlock() override {
        ++m_nDoUnlocks;
        return true;
    }
};

}  // namespace

TEST(Lockable, ReadOnlyLockRefusesAWritingOne) {
    CountingLock lock;
    EXPECT_TRUE(lock.Lock(true));
    EXPECT_FALSE(lock.Lock(false));
    EXPECT_EQ(lock.GetLockCount(), 1);
    EXPECT_TRUE(lock.Unlock());
    EXPECT_EQ(lock.m_nDoUnlocks, 1);
}

TEST(Lockable, NestsAndUnlocksOnTheLast) {
    CountingLock lock;
    EXPECT_TRUE(lock.Lock(false));
    EXPECT_TRUE(lock.Lock(true));
    EXPECT_EQ(lock.GetLockCount(), 2);
    EXPECT_EQ(lock.m_nDoLocks, 1);
    lock.Unlock();
    EXPECT_EQ(lock.m_nDoUnlocks, 0);
    lock.Unlock();
    EXPECT_EQ(lock.m_nDoUnlocks, 1);
    EXPECT_TRUE(lock.Unlock());  // unlocking an unlocked buffer is harmless
    EXPECT_EQ(lock.m_nDoUnlocks, 1);

    lock.m_bRefuse = true;
    EXPECT_FALSE(lock.Lock(false));
    EXPECT_EQ(lock.GetLockCount(), 0);
}

namespace {

class Service : public BaseObject, public iInstance<Service> {
public:
    ~Service() override { ++g_nDestroyed; }
};

}  // namespace

TEST(iInstance, HoldsOneReferenceUntilReleased) {
    g_nDestroyed = 0;
    Service::CreateInstance();
    ASSERT_NE(Service::g_Instance, nullptr);
    EXPECT_EQ(Service::g_Instance->GetRefCount(), 1);
    Service::ReleaseInstance();
    EXPECT_EQ(Service::g_Instance, nullptr);
    EXPECT_EQ(g_nDestroyed, 1);
}
