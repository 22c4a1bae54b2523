#include "engine/framework/MessageHandler.h"

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "engine/framework/KeyboardMessageData.h"
#include "engine/framework/Message.h"
#include "engine/framework/MouseMessageData.h"
#include "engine/framework/ScrollMessageData.h"
#include "engine/framework/TemplateMessageData.h"

using namespace ZQ2;

namespace {

// Writes "name:number" for every message it hears and then runs its action.
class Recorder : public iMessageListener {
public:
    Recorder(std::string name, std::vector<std::string>& log) : m_strName(std::move(name)), m_Log(log) {}

    void ProcessMessage(const Message& message) override {
        m_Log.push_back(m_strName + ":" + std::to_string(message.GetNumber()));
        if (m_OnMessage)
            m_OnMessage(message);
    }

    std::function<void(const Message&)> m_OnMessage;

private:
    std::string m_strName;
    std::vector<std::string>& m_Log;
};

class MessageHandlerTest : public ::testing::Test {
protected:
    MessageHandler m_Handler;
    std::vector<std::string> m_Log;
    Recorder m_A{"A", m_Log};
    Recorder m_B{"B", m_Log};
    Recorder m_C{"C", m_Log};

    void Post(int number) { m_Handler.ProcessMessage(Message(number)); }
    void Listen(std::initializer_list<iMessageListener*> listeners) {
        for (iMessageListener* listener : listeners)
            m_Handler.AddMessageListener(listener);
    }
    // Runs action once, while message 1 is delivered to listener.
    static void OnFirst(Recorder& listener, std::function<void()> action) {
        listener.m_OnMessage = [action](const Message& message) {
            if (message.GetNumber() == 1)
                action();
        };
    }
    using Log = std::vector<std::string>;
};

TEST_F(MessageHandlerTest, DeliversEachMessageToEveryListenerInRegistrationOrder) {
    Listen({&m_B, &m_A});
    m_Handler.AddMessageListener(&m_B);  // registered once, now last
    Post(MESSAGE_MOUSE_MOVED);
    Post(MESSAGE_QUIT);
    EXPECT_EQ(m_Log, (Log{"A:1", "B:1", "A:1026", "B:1026"}));
    EXPECT_FALSE(m_Handler.IsDelivering());
}

TEST_F(MessageHandlerTest, MessagePostedDuringDeliveryWaitsItsTurn) {
    Listen({&m_A, &m_B});
    OnFirst(m_A, [this] {
        EXPECT_TRUE(m_Handler.IsDelivering());
        Post(2);
        Post(3);
    });
    Post(1);
    EXPECT_EQ(m_Log, (Log{"A:1", "B:1", "A:2", "B:2", "A:3", "B:3"}));
}

TEST_F(MessageHandlerTest, ListenerRemovedDuringDeliveryHearsNothingMore) {
    Listen({&m_A, &m_B, &m_C});
    OnFirst(m_A, [this] {
        Post(2);
        m_Handler.RemoveMessageListener(&m_B);
    });
    Post(1);
    EXPECT_EQ(m_Log, (Log{"A:1", "C:1", "A:2", "C:2"}));

    m_Log.clear();
    Post(3);
    EXPECT_EQ(m_Log, (Log{"A:3", "C:3"}));
}

TEST_F(MessageHandlerTest, ListenerRemovingItselfStopsAtOnce) {
    Listen({&m_A, &m_B});
    m_A.m_OnMessage = [this](const Message& message) {
        if (message.GetNumber() == 1)
            Post(2);
        m_Handler.RemoveMessageListener(&m_A);
    };
    Post(1);
    EXPECT_EQ(m_Log, (Log{"A:1", "B:1", "B:2"}));
}

TEST_F(MessageHandlerTest, ListenerDestroyedDuringDeliveryIsNeverCalledAgain) {
    auto doomed = std::make_unique<Recorder>("D", m_Log);
    Listen({&m_A, doomed.get(), &m_B});
    OnFirst(m_A, [&] {
        Post(2);
        doomed.reset();  // its destructor leaves the handler
    });
    Post(1);
    EXPECT_EQ(m_Log, (Log{"A:1", "B:1", "A:2", "B:2"}));
}

TEST_F(MessageHandlerTest, DestroyedListenerLeavesEveryHandler) {
    MessageHandler other;
    auto listener = std::make_unique<Recorder>("D", m_Log);
    m_Handler.AddMessageListener(listener.get());
    other.AddMessageListener(listener.get());
    other.AddMessageListener(&m_A);
    listener.reset();
    Post(1);
    other.ProcessMessage(Message(2));
    EXPECT_EQ(m_Log, (Log{"A:2"}));
}

TEST_F(MessageHandlerTest, ListenerMayOutliveItsHandler) {
    auto handler = std::make_unique<MessageHandler>();
    auto listener = std::make_unique<Recorder>("D", m_Log);
    handler->AddMessageListener(listener.get());
    handler.reset();
    listener.reset();  // must not reach the destroyed handler
    SUCCEED();
}

TEST_F(MessageHandlerTest, ListenerAddedDuringDeliveryHearsOnlyLaterMessages) {
    m_Handler.AddMessageListener(&m_A);
    OnFirst(m_A, [this] {
        Post(2);
        m_Handler.AddMessageListener(&m_C);
    });
    Post(1);
    EXPECT_EQ(m_Log, (Log{"A:1", "A:2"}));
    m_Log.clear();
    Post(3);
    EXPECT_EQ(m_Log, (Log{"A:3", "C:3"}));
}

TEST_F(MessageHandlerTest, ChangesDuringDeliveryApplyInTheOrderMade) {
    Listen({&m_A, &m_B, &m_C});
    OnFirst(m_A, [this] {
        m_Handler.RemoveMessageListener(&m_B);  // out now, back at the end later
        m_Handler.AddMessageListener(&m_B);
        m_Handler.AddMessageListener(&m_A);  // moves to the end
        m_Handler.RemoveMessageListener(&m_A);  // and is gone
    });
    Post(1);
    EXPECT_EQ(m_Log, (Log{"A:1", "C:1"}));
    m_Log.clear();
    Post(2);
    EXPECT_EQ(m_Log, (Log{"C:2", "B:2"}));
}

TEST(Message, DataIsReachedOnlyAsItsOwnKind) {
    const Message mouse(MESSAGE_MOUSE_LEFT_DOWN,
                        new MouseMessageData(12.5f, -3.0f, BitFlags_t<eMouseState>(MOUSESTATE_LEFT), true));
    MouseMessageData* data = mouse.GetData<MouseMessageData>();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->GetX(), 12.5f);
    EXPECT_EQ(data->GetY(), -3.0f);
    EXPECT_TRUE(data->GetState().IsSet(MOUSESTATE_LEFT));
    EXPECT_TRUE(data->IsDoubleClick());
    EXPECT_NE(mouse.GetData<MessageData>(), nullptr);
    EXPECT_EQ(mouse.GetData<KeyboardMessageData>(), nullptr);
    EXPECT_EQ(mouse.GetData<TemplateMessageData<bool>>(), nullptr);

    const Message flag(MESSAGE_MINIMIZED_CHANGED, new TemplateMessageData<bool>(true));
    ASSERT_NE(flag.GetData<TemplateMessageData<bool>>(), nullptr);
    EXPECT_TRUE(flag.GetData<TemplateMessageData<bool>>()->GetValue());
    EXPECT_EQ(flag.GetData<MouseMessageData>(), nullptr);

    const Message none(MESSAGE_QUIT);
    EXPECT_EQ(none.GetData<MessageData>(), nullptr);
    EXPECT_EQ(none.GetData<MouseMessageData>(), nullptr);
    EXPECT_EQ(none.GetData<KeyboardMessageData>(), nullptr);
    EXPECT_EQ(none.GetData<ScrollMessageData>(), nullptr);
    EXPECT_EQ(none.GetData<TemplateMessageData<bool>>(), nullptr);
}

TEST(Message, CopiesShareTheDataUntilTheLastGoes) {
    auto* data = new TemplateMessageData<bool>(false);
    data->AddRef();  // the test's own reference, to watch the count
    {
        const Message original(MESSAGE_ACTIVE_CHANGED, data);
        Message copy(original);
        EXPECT_EQ(data->GetRefCount(), 3);
        EXPECT_EQ(copy.GetData<TemplateMessageData<bool>>(), data);
        EXPECT_EQ(copy.GetNumber(), MESSAGE_ACTIVE_CHANGED);
    }
    EXPECT_EQ(data->GetRefCount(), 1);
    data->Release();
}

TEST(Message, QueuedMessagesKeepTheirData) {
    // The queue holds copies: data made for a post and dropped by the
    // poster must still be there when its turn comes.
    MessageHandler handler;
    std::vector<std::string> log;
    Recorder listener("L", log);
    std::vector<float> seen;
    listener.m_OnMessage = [&](const Message& message) {
        if (message.GetNumber() == MESSAGE_MOUSE_LEFT_DOWN)
            handler.ProcessMessage(Message(MESSAGE_MOUSE_MOVED, new MouseMessageData(7.0f, 8.0f, 0, false)));
        if (MouseMessageData* data = message.GetData<MouseMessageData>())
            seen.push_back(data->GetX());
    };
    handler.AddMessageListener(&listener);
    handler.ProcessMessage(Message(MESSAGE_MOUSE_LEFT_DOWN, new MouseMessageData(1.0f, 2.0f, 0, false)));
    EXPECT_EQ(seen, (std::vector<float>{1.0f, 7.0f}));
}

TEST(KeyboardMessageData, CarriesTheLowerCasedCharacter) {
    struct Case {
        unsigned long character;
        const char* text;
    };
    const Case cases[] = {
        {'A', "a"},
        {'z', "z"},
        {0xC4, "\xC3\xA4"},  // Ä becomes ä
        {0, ""},
        {0xD83D, ""},  // half of a surrogate pair is no character
    };
    for (const Case& c : cases) {
        const KeyboardMessageData data(c.character, SYSKEY_RETURN, false, KEYLOCATION_STANDARD, SYSKEY_RETURN);
        EXPECT_EQ(data.GetCharacterString(), c.text) << c.character;
        EXPECT_EQ(data.GetCharacter(), c.character);
        EXPECT_EQ(data.GetKey(), SYSKEY_RETURN);
        EXPECT_EQ(data.GetSecondKey(), SYSKEY_RETURN);
    }
}

}  // namespace
