#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/BaseObject.h"
#include "engine/core/SmartPtr.h"
#include "engine/core/TransactionVector.h"
#include "engine/core/ZQVector.h"

using namespace ZQ2;

namespace {

template <class T>
std::vector<T> Items(const ZQVector<T>& v) {
    return std::vector<T>(v.begin(), v.end());
}

// Long enough to live on the heap, short ones use the string's own storage:
// both kinds must survive every relocation.
std::string Text(int i) { return i % 2 ? std::to_string(i) : "a string long enough for the heap #" + std::to_string(i); }

ZQVector<std::string> Texts(int n) {
    ZQVector<std::string> v;
    for (int i = 0; i < n; ++i)
        v.push_back(Text(i));
    return v;
}

std::vector<std::string> Expected(std::initializer_list<int> indices) {
    std::vector<std::string> out;
    for (int i : indices)
        out.push_back(Text(i));
    return out;
}

}  // namespace

TEST(ZQVector, GrowsFromSixteenByDoubling) {
    ZQVector<int> v;
    EXPECT_EQ(v.data(), nullptr);
    v.push_back(1);
    EXPECT_EQ(v.capacity(), 16);
    for (int i = 2; i <= 17; ++i)
        v.push_back(i);
    EXPECT_EQ(v.capacity(), 32);
    EXPECT_EQ(v.size(), 17);
    EXPECT_EQ(v[16], 17);

    ZQVector<int> odd(5, 0);
    EXPECT_EQ(odd.capacity(), 5);
    for (int i = 0; i < 6; ++i)
        odd.push_back(i);
    EXPECT_EQ(odd.capacity(), 16);

    ZQVector<int> sized;
    sized.resize(20);
    EXPECT_EQ(sized.size(), 20);
    EXPECT_EQ(sized.capacity(), 32);
}

TEST(ZQVector, CopiesTakeExactlyTheSourceCount) {
    ZQVector<std::string> three = Texts(3);
    ZQVector<std::string> copy(three);
    EXPECT_EQ(copy.capacity(), 3);
    EXPECT_EQ(Items(copy), Items(three));

    ZQVector<std::string> empty;
    ZQVector<std::string> emptyCopy(empty);
    EXPECT_EQ(emptyCopy.data(), nullptr);

    ZQVector<std::string> assigned = Texts(20);
    assigned = three;
    EXPECT_EQ(Items(assigned), Items(three));
    const auto& self = assigned;  // self-assignment through an alias
    assigned = self;
    EXPECT_EQ(Items(assigned), Items(three));
}

namespace {

// An element that counts its moves and its live copies: erasing must move
// each element behind the gap once, and destroy exactly the erased ones.
struct Tracked {
    static int s_nMoves;
    static int s_nLive;

    explicit Tracked(int value = 0) : m_iValue(value) { ++s_nLive; }
    Tracked(const Tracked& other) : m_iValue(other.m_iValue) { ++s_nLive; }
    Tracked(Tracked&& other) noexcept : m_iValue(other.m_iValue) {
        ++s_nLive;
        ++s_nMoves;
    }
    ~Tracked() { --s_nLive; }
    Tracked& operator=(const Tracked&) = default;
    bool operator==(const Tracked& other) const { return m_iValue == other.m_iValue; }

    int m_iValue;
};

int Tracked::s_nMoves = 0;
int Tracked::s_nLive = 0;

ZQVector<Tracked> TrackedRun(int n) {
    ZQVector<Tracked> v;
    for (int i = 0; i < n; ++i)
        v.push_back(Tracked(i));
    return v;
}

std::vector<int> Values(const ZQVector<Tracked>& v) {
    std::vector<int> out;
    for (const Tracked& t : v)
        out.push_back(t.m_iValue);
    return out;
}

}  // namespace

// Erasing closes the gap in the buffer it has: element pointers before the
// gap stay valid, and a long list loses its head without being copied whole.
TEST(ZQVector, EraseClosesTheGapInPlace) {
    struct Case {
        int first, last;
        std::initializer_list<int> expected;
    };
    const Case cases[] = {
        {0, 1, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {0, 2, {2, 3, 4, 5, 6, 7, 8, 9}},
        {5, 6, {0, 1, 2, 3, 4, 6, 7, 8, 9}},
        {2, 8, {0, 1, 8, 9}},
        {9, 10, {0, 1, 2, 3, 4, 5, 6, 7, 8}},
        {0, 10, {}},
        {3, 3, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("erase " + std::to_string(c.first) + ".." + std::to_string(c.last));
        ZQVector<std::string> texts = Texts(10);
        const std::string* textBuffer = texts.data();
        std::string* at = texts.erase(texts.begin() + c.first, texts.begin() + c.last);
        EXPECT_EQ(texts.data(), textBuffer);
        EXPECT_EQ(texts.capacity(), 16);
        EXPECT_EQ(at, texts.begin() + c.first);
        EXPECT_EQ(Items(texts), Expected(c.expected));

        ZQVector<int> numbers;
        for (int i = 0; i < 10; ++i)
            numbers.push_back(i);
        const int* numberBuffer = numbers.data();
        numbers.erase(numbers.begin() + c.first, numbers.begin() + c.last);
        EXPECT_EQ(numbers.data(), numberBuffer);
        EXPECT_EQ(Items(numbers), std::vector<int>(c.expected));

        Tracked::s_nLive = 0;
        {
            ZQVector<Tracked> tracked = TrackedRun(10);
            Tracked::s_nMoves = 0;
            tracked.erase(tracked.begin() + c.first, tracked.begin() + c.last);
            EXPECT_EQ(Tracked::s_nMoves, c.last > c.first ? 10 - c.last : 0);  // each one behind the gap, once
            EXPECT_EQ(Tracked::s_nLive, static_cast<int>(c.expected.size()));
            EXPECT_EQ(Values(tracked), std::vector<int>(c.expected));
        }
        EXPECT_EQ(Tracked::s_nLive, 0);
    }
}

// Many scattered removals cost one pass: each kept element moves at most once.
TEST(ZQVector, RemoveIfSweepsOnceKeepingOrder) {
    Tracked::s_nLive = 0;
    {
        ZQVector<Tracked> v = TrackedRun(10);
        const Tracked* buffer = v.data();
        Tracked::s_nMoves = 0;
        const int removed = v.remove_if([](const Tracked& t) { return t.m_iValue % 3 == 0; });
        EXPECT_EQ(removed, 4);
        EXPECT_EQ(Values(v), (std::vector<int>{1, 2, 4, 5, 7, 8}));
        EXPECT_EQ(Tracked::s_nMoves, 6);
        EXPECT_EQ(Tracked::s_nLive, 6);
        EXPECT_EQ(v.data(), buffer);

        EXPECT_EQ(v.remove_if([](const Tracked&) { return false; }), 0);
        EXPECT_EQ(v.size(), 6);
    }
    EXPECT_EQ(Tracked::s_nLive, 0);

    ZQVector<std::string> texts = Texts(6);
    texts.remove_if([](const std::string& t) { return t == Text(0) || t == Text(3); });
    EXPECT_EQ(Items(texts), Expected({1, 2, 4, 5}));
}

TEST(ZQVector, InsertKeepsOrderInEveryRelocationCase) {
    const std::string extra[] = {"x", "a second inserted string, long enough for the heap"};
    struct Case {
        int count;  // elements in the vector before the insert
        int reserve;
        int at;
    };
    const Case cases[] = {
        {3, 16, 2},  // room, more inserted than follow: moved up in place
        {8, 16, 5},  // room, pos past the middle: temporary block
        {8, 16, 1},  // room, pos near the front: fresh buffer
        {16, 16, 4}, // full: fresh buffer
        {16, 16, 16} // at the end of a full vector: grows like push_back
    };
    for (const Case& c : cases) {
        ZQVector<std::string> v(0, c.reserve);
        std::vector<std::string> expected;
        for (int i = 0; i < c.count; ++i) {
            v.push_back(Text(i));
            expected.push_back(Text(i));
        }
        expected.insert(expected.begin() + c.at, std::begin(extra), std::end(extra));
        std::string* at = v.insert(v.begin() + c.at, std::begin(extra), std::end(extra));
        EXPECT_EQ(at, v.begin() + c.at);
        EXPECT_EQ(Items(v), expected) << "insert at " << c.at << " of " << c.count;
    }
}

// An insert near the front of a roomy vector moves its elements through a
// fresh buffer; that buffer must be as large as the old one.
TEST(ZQVector, InsertNeverShrinksTheCapacity) {
    ZQVector<std::string> v(0, 100);
    for (int i = 0; i < 10; ++i)
        v.push_back(Text(i));
    const std::string extra[] = {Text(90)};
    v.insert(v.begin(), std::begin(extra), std::end(extra));
    EXPECT_EQ(v.capacity(), 100);
    EXPECT_EQ(v.size(), 11);
    EXPECT_EQ(v[0], Text(90));
    EXPECT_EQ(v[10], Text(9));
}

TEST(ZQVector, ListOperations) {
    ZQVector<std::string> v = Texts(4);
    v.reverse();
    EXPECT_EQ(Items(v), Expected({3, 2, 1, 0}));
    v.reverse(v.begin() + 1, v.begin() + 3);
    EXPECT_EQ(Items(v), Expected({3, 1, 2, 0}));

    v.push_front(Text(9));
    EXPECT_EQ(v[0], Text(9));
    v.push_back(Text(1));
    v.remove(Text(1));  // only the first equal one goes
    EXPECT_EQ(Items(v), Expected({9, 3, 2, 0, 1}));
    v.remove("absent");
    EXPECT_EQ(v.size(), 5);

    std::string* existing = v.push_back_if_unique(Text(2));
    EXPECT_EQ(existing, v.begin() + 2);
    EXPECT_EQ(v.size(), 5);

    EXPECT_TRUE(v.contains(Text(0)));
    EXPECT_EQ(v.find("absent"), v.end());
    v.append(v);
    EXPECT_EQ(v.size(), 10);
    v.pop_back();
    EXPECT_EQ(v.back(), Text(0));
    v.resize(2);
    EXPECT_EQ(Items(v), Expected({9, 3}));
}

TEST(ZQVector, PushBackOfOwnElementWhileGrowing) {
    ZQVector<std::string> v(0, 1);
    v.push_back(Text(0));
    v.push_back(v[0]);  // the argument lives in the buffer that moves
    EXPECT_EQ(Items(v), Expected({0, 0}));
}

namespace {

int g_nLive = 0;

class Counted : public BaseObject {
public:
    Counted() { ++g_nLive; }
    ~Counted() override { --g_nLive; }
};

}  // namespace

TEST(ZQVector, SmartPointerElementsKeepTheirReferences) {
    g_nLive = 0;
    {
        ZQVector<SmartPtr<Counted>> v;
        for (int i = 0; i < 40; ++i)
            v.push_back(SmartPtr<Counted>(new Counted));
        EXPECT_EQ(v[0]->GetRefCount(), 1);
        v.erase(v.begin(), v.begin() + 3);
        EXPECT_EQ(g_nLive, 37);
        v.resize(50);
        EXPECT_EQ(v[45].Get(), nullptr);
        v.resize(10);
        EXPECT_EQ(g_nLive, 10);
        v.reverse();
        EXPECT_EQ(v[0]->GetRefCount(), 1);
    }
    EXPECT_EQ(g_nLive, 0);
}

TEST(TransactionVector, DefersChangesUntilTheOutermostWalkEnds) {
    TransactionVector<int> list(true);
    list.push_back(1);
    list.push_back(2);
    list.push_back(3);

    list.m_nTransactionDepth = 2;  // a walk inside a walk
    list.push_back(4);
    list.remove(2);
    list.push_back(1);
    EXPECT_EQ(Items(list.m_Items), (std::vector<int>{1, 2, 3}));
    list.m_nTransactionDepth = 1;
    list.PurgeActions();
    EXPECT_EQ(Items(list.m_Items), (std::vector<int>{1, 2, 3}));
    list.m_nTransactionDepth = 0;
    list.PurgeActions();
    // Unique: the re-added 1 moved to the end.
    EXPECT_EQ(Items(list.m_Items), (std::vector<int>{3, 4, 1}));
    EXPECT_EQ(list.m_Actions.size(), 0);

    TransactionVector<int> plain(false);
    plain.push_back(5);
    plain.push_back(5);
    EXPECT_EQ(plain.m_Items.size(), 2);
}

TEST(TransactionVector, QueuedElementsStayAlive) {
    g_nLive = 0;
    {
        TransactionVector<SmartPtr<Counted>> list(true);
        list.m_nTransactionDepth = 1;
        list.push_back(SmartPtr<Counted>(new Counted));
        EXPECT_EQ(g_nLive, 1);
        list.m_nTransactionDepth = 0;
        list.PurgeActions();
        EXPECT_EQ(list.m_Items.size(), 1);
        list.clear();
        EXPECT_EQ(g_nLive, 0);
    }
}
