#include "engine/resource/ResourceManager.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <initializer_list>
#include <thread>

#include "engine/resource/ResourceManagerLinux.h"
#include "tests/engine/io/TestResource.h"

using namespace ZQ2;
using restest::g_Gate;
using restest::g_Journal;
using restest::TestPayload;
using restest::TestResource;
using Files = std::vector<std::string>;

namespace {

// A manager without a thread: the test runs the loader's rounds itself.
class StepManager : public ResourceManager {
public:
    void Stop() override { EndRunning(); }
    void Suspend() override {}
    void Resume() override {}
    using ResourceManager::LoadNextResource;

    // Runs rounds until one finds nothing to load.
    void Drain() {
        while (LoadNextResource()) {
        }
    }
};

// Each resource is named after its file.
ResourceSection* Section(const std::string& name, bool autoLoad, std::initializer_list<const char*> files,
                         int units = 1) {
    auto* section = new ResourceSection(name, autoLoad);
    for (const char* file : files)
        section->AddResource(file, new TestResource(file, units));
    return section;
}

TestResource* Resource(ResourceManager* manager, const std::string& name, const std::string& section) {
    ResourceSection* owner = manager->GetSection(section);
    return owner ? DynamicCast<TestResource>(owner->GetResource(name)) : nullptr;
}

class ResourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_Journal.Clear();
        m_nPayloads = TestPayload::s_nAlive;
        m_nResources = TestResource::s_nAlive;
    }
    void TearDown() override { g_Gate.Open(); }

    // Nothing the test made outlives its manager.
    void ExpectAllFreed() {
        EXPECT_EQ(TestPayload::s_nAlive, m_nPayloads);
        EXPECT_EQ(TestResource::s_nAlive, m_nResources);
    }

    // A manager whose loader started on section "s" of these files and is
    // now held inside the load of s1.
    static void StartHeldInS1(SmartPtr<ResourceManager>& manager, std::initializer_list<const char*> files) {
        manager = new ResourceManagerLinux;
        manager->AddSection(Section("s", false, files));
        g_Gate.Arm("s1");
        manager->WaitingFor("s");
        manager->SetReady(true);
        ASSERT_TRUE(g_Gate.WaitUntilEntered());
    }

    int m_nPayloads = 0;
    int m_nResources = 0;
};

using ResourceManagerSteps = ResourceTest;
using ResourceManagerThreaded = ResourceTest;

}  // namespace

TEST_F(ResourceManagerSteps, RequestedSectionsFirstInRequestOrderThenAutoSections) {
    SmartPtr<StepManager> manager(new StepManager);
    manager->AddSection(Section("x", true, {"x2", "x1"}));
    manager->AddSection(Section("y", true, {"y1"}));
    manager->AddSection(Section("a", false, {"a2", "a1", "a3"}));
    manager->AddSection(Section("b", false, {"b1"}));
    manager->AddSection(Section("c", false, {"c1"}));
    EXPECT_TRUE(manager->WaitingFor("b"));
    EXPECT_TRUE(manager->WaitingFor("a"));
    ASSERT_TRUE(manager->LoadNextResource());
    EXPECT_TRUE(manager->WaitingFor("c"));  // behind the sections already waiting
    manager->Drain();
    EXPECT_EQ(g_Journal.Files(), (Files{"b1", "a1", "a2", "a3", "c1", "x1", "x2", "y1"}));
    EXPECT_FALSE(manager->LoadNextResource());

    // An auto section gives way as soon as a section is asked for.
    g_Journal.Clear();
    manager->AddSection(Section("z", true, {"z1", "z2"}));
    manager->AddSection(Section("d", false, {"d1"}));
    ASSERT_TRUE(manager->LoadNextResource());
    manager->WaitingFor("d");
    manager->Drain();
    EXPECT_EQ(g_Journal.Files(), (Files{"z1", "d1", "z2"}));
}

TEST_F(ResourceManagerSteps, ProgressCountsTheUnitsOfTheSectionsWaitedFor) {
    SmartPtr<StepManager> manager(new StepManager);
    manager->AddSection(Section("a", false, {"a1", "a2", "a3"}));
    manager->AddSection(Section("big", false, {"b1"}, 80));
    manager->AddSection(Section("p", false, {"p1", "p2", "p3"}));
    manager->SetReady(true);
    EXPECT_FLOAT_EQ(manager->GetLoadProgress(), 1.0f);  // nothing asked for

    EXPECT_TRUE(manager->WaitingFor("a"));
    EXPECT_FLOAT_EQ(manager->GetLoadProgress(), 0.0f);
    manager->LoadNextResource();
    manager->LoadNextResource();
    EXPECT_FLOAT_EQ(manager->GetLoadProgress(), 2.0f / 3.0f);
    EXPECT_TRUE(manager->WaitingFor("a"));  // still loading: its units are not added again
    EXPECT_FLOAT_EQ(manager->GetLoadProgress(), 2.0f / 3.0f);
    EXPECT_FALSE(manager->IsComplete());
    manager->LoadNextResource();
    EXPECT_TRUE(manager->IsComplete());  // "a" leaves the list and stays counted
    EXPECT_FLOAT_EQ(manager->GetLoadProgress(), 1.0f);
    EXPECT_FALSE(manager->WaitingFor("a"));  // loaded: nothing is queued
    EXPECT_FALSE(manager->WaitingFor("unknown"));
    EXPECT_FLOAT_EQ(manager->GetLoadProgress(), 1.0f);

    EXPECT_TRUE(manager->WaitingFor("big"));
    EXPECT_FLOAT_EQ(manager->GetLoadProgress(), 3.0f / 83.0f);
    manager->Drain();
    EXPECT_FLOAT_EQ(manager->GetLoadProgress(), 1.0f);

    // Resources fetched before the section is asked for count at once.
    manager->ClearLoadProgress();
    EXPECT_FLOAT_EQ(manager->GetLoadProgress(), 1.0f);
    ASSERT_NE(manager->GetResourceObject("p1", "p"), nullptr);
    ASSERT_NE(manager->GetResourceObject("p2", "p"), nullptr);
    EXPECT_TRUE(manager->WaitingFor("p"));
    EXPECT_FLOAT_EQ(manager->GetLoadProgress(), 2.0f / 3.0f);
}

TEST_F(ResourceManagerSteps, CompleteOnlyWhenReadyAndEverythingAskedForHasLoaded) {
    SmartPtr<StepManager> manager(new StepManager);
    manager->AddSection(Section("a", false, {"a1"}));
    manager->AddSection(Section("empty", false, {}));
    EXPECT_FALSE(manager->IsComplete());  // not ready
    manager->SetReady(true);
    EXPECT_TRUE(manager->IsComplete());
    EXPECT_FALSE(manager->WaitingFor("empty"));  // a section of nothing is loaded at once
    manager->WaitingFor("a");
    EXPECT_FALSE(manager->IsComplete());
    manager->Drain();
    EXPECT_TRUE(manager->IsComplete());
    EXPECT_TRUE(manager->WaitForLoadingComplete(1));
}

TEST_F(ResourceManagerSteps, FetchingLoadsOnTheCallingThreadAndWithholdsFailures) {
    SmartPtr<StepManager> manager(new StepManager);
    auto* section = new ResourceSection("s", false);
    section->AddResource("good", new TestResource("good"));
    section->AddResource("bad", new TestResource("bad", 1, true));
    manager->AddSection(section);

    EXPECT_EQ(manager->GetResourceObject("good", "unknown"), nullptr);
    EXPECT_EQ(manager->GetResourceObject("unknown", "s"), nullptr);
    EXPECT_EQ(manager->GetResource("unknown", "s"), nullptr);
    EXPECT_EQ(manager->LoadResource("unknown", "s"), nullptr);
    EXPECT_TRUE(g_Journal.Files().empty());

    ResourceObject* good = manager->GetResourceObject("good", "s");
    ASSERT_NE(good, nullptr);
    EXPECT_TRUE(good->IsLoaded());
    EXPECT_EQ(manager->GetResourceObject("good", "s"), good);
    EXPECT_EQ(manager->GetResource("good", "s"), Resource(manager, "good", "s")->GetPayload());
    EXPECT_EQ(Resource(manager, "good", "s")->GetLoadCount(), 1);

    // A failed resource keeps its error, counts as loaded and is withheld.
    EXPECT_EQ(manager->GetResourceObject("bad", "s"), nullptr);
    TestResource* bad = Resource(manager, "bad", "s");
    EXPECT_TRUE(bad->IsLoaded());
    EXPECT_EQ(bad->GetErrorMessage(), "Invalid format.");
    EXPECT_EQ(manager->GetResource("bad", "s"), nullptr);
    EXPECT_EQ(manager->GetResourceObject("bad", "s"), nullptr);
    EXPECT_EQ(bad->GetLoadCount(), 1);
    EXPECT_TRUE(manager->GetSection("s")->IsLoaded());

    manager->UnloadResource("good", "s");
    EXPECT_FALSE(good->IsLoaded());
    BaseObject* reloaded = manager->GetResource("good", "s");  // loads again
    EXPECT_NE(reloaded, nullptr);
    EXPECT_EQ(reloaded, Resource(manager, "good", "s")->GetPayload());
    manager->UnloadSection("s");
    EXPECT_FALSE(good->IsLoaded());
    EXPECT_FALSE(bad->IsLoaded());
    EXPECT_EQ(bad->GetError(), RESOURCE_ERROR_NONE);
    EXPECT_EQ(TestPayload::s_nAlive, m_nPayloads);
}

TEST_F(ResourceManagerSteps, QueuesFollowSectionsAddedReplacedAndRemoved) {
    SmartPtr<StepManager> manager(new StepManager);
    manager->SetReady(true);
    manager->AddSection(Section("x", true, {"x1"}));
    manager->AddSection(Section("a", false, {"a1", "a2"}));
    manager->WaitingFor("a");
    ASSERT_TRUE(manager->LoadNextResource());

    EXPECT_FALSE(manager->RemoveSection("unknown", true));
    EXPECT_TRUE(manager->RemoveSection("a", true));
    EXPECT_EQ(manager->GetSection("a"), nullptr);
    EXPECT_EQ(TestPayload::s_nAlive, m_nPayloads);  // a1 was unloaded
    EXPECT_TRUE(manager->IsComplete());

    // A section replaced while it waits keeps its place in the queue.
    manager->AddSection(Section("b", false, {"b1"}));
    manager->WaitingFor("b");
    manager->AddSection(Section("b", false, {"b2"}));
    manager->Drain();
    EXPECT_EQ(g_Journal.Files(), (Files{"a1", "b2", "x1"}));
    EXPECT_TRUE(manager->RemoveSection("x", false));
    manager = nullptr;
    ExpectAllFreed();
}

TEST_F(ResourceManagerSteps, ResourceListsAreReadFromTheResourcePath) {
    char pattern[] = "/tmp/delvor-reslist-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    std::ofstream(dir + "/first.xml") << "<?xml version=\"1.0\"?>\n<root><Vector id=\"Sections\">"
                                         "<Section name=\"boot\"><TestResource id=\"old\" file=\"old.png\"/></Section>"
                                         "<Section name=\"menu\" auto=\"true\">"
                                         "<TestResource id=\"logo\" file=\"Menu/My  Logo.PNG\" units=\"5\"/>"
                                         "</Section>"
                                         "<Integer id=\"stray\" value=\"1\"/>"
                                         "</Vector></root>\n";
    std::ofstream(dir + "/second.xml") << "<root><Vector id=\"Sections\">"
                                          "<Section name=\"boot\"><TestResource id=\"new\" file=\"new.png\"/></Section>"
                                          "</Vector></root>\n";
    const restest::TestFactory factory;
    SmartPtr<StepManager> manager(new StepManager);
    manager->SetObjectFactory(&factory);
    manager->SetResourcePath(dir + "/");
    manager->AddFile("first.xml");
    manager->AddFile("missing.xml");
    manager->AddFile("second.xml");
    manager->ParseResourceFiles();

    ResourceSection* boot = manager->GetSection("boot");
    ASSERT_NE(boot, nullptr);
    EXPECT_TRUE(boot->HasResource("new"));
    EXPECT_FALSE(boot->HasResource("old"));
    ResourceSection* menu = manager->GetSection("menu");
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->IsAuto());
    EXPECT_TRUE(menu->IsRequested());
    EXPECT_EQ(menu->GetUnitsTotal(), 5);
    EXPECT_EQ(menu->GetResource("logo")->GetFile(), "menu/my  logo.png");  // white space kept
    EXPECT_EQ(manager->GetSection(""), nullptr);
    manager->Drain();
    EXPECT_EQ(g_Journal.Files(), (Files{"menu/my  logo.png"}));
    std::filesystem::remove_all(dir);
}

TEST_F(ResourceManagerThreaded, TheLoaderTakesRequestedSectionsFirstThenAutoSections) {
    SmartPtr<ResourceManager> manager(new ResourceManagerLinux);
    manager->AddSection(Section("x", true, {"x2", "x1"}));
    manager->AddSection(Section("a", false, {"a2", "a1"}));
    manager->AddSection(Section("b", false, {"b1"}));
    manager->WaitingFor("b");
    manager->WaitingFor("a");
    manager->SetReady(true);
    EXPECT_TRUE(manager->WaitForLoadingComplete(1));
    ASSERT_TRUE(g_Journal.WaitForCount(5));
    EXPECT_EQ(g_Journal.Files(), (Files{"b1", "a1", "a2", "x1", "x2"}));
    EXPECT_FLOAT_EQ(manager->GetLoadProgress(), 1.0f);
    manager = nullptr;
    ExpectAllFreed();
}

TEST_F(ResourceManagerThreaded, TheMainThreadFetchesEarlyWhileTheLoaderWorks) {
    SmartPtr<ResourceManager> manager;
    ASSERT_NO_FATAL_FAILURE(StartHeldInS1(manager, {"s1", "s2", "s3"}));

    // The loader is held inside s1; s3 is loaded at once on this thread.
    ResourceObject* s3 = manager->GetResourceObject("s3", "s");
    ASSERT_NE(s3, nullptr);
    EXPECT_TRUE(s3->IsLoaded());
    EXPECT_EQ(g_Journal.Files(), (Files{"s1", "s3"}));
    EXPECT_FLOAT_EQ(manager->GetLoadProgress(), 1.0f / 3.0f);

    // Fetching the resource in the loader's hands waits for that load.
    auto fetch = std::async(std::launch::async, [&] { return manager->GetResourceObject("s1", "s"); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    g_Gate.Open();
    ResourceObject* s1 = fetch.get();
    ASSERT_NE(s1, nullptr);
    EXPECT_TRUE(manager->WaitForLoadingComplete(1));
    EXPECT_EQ(g_Journal.Files(), (Files{"s1", "s3", "s2"}));
    for (const char* name : {"s1", "s2", "s3"}) {
        TestResource* resource = Resource(manager, name, "s");
        EXPECT_EQ(resource->GetLoadCount(), 1) << name;
        EXPECT_EQ(resource->GetPayload()->m_nValue, 42) << name;
    }
}

TEST_F(ResourceManagerThreaded, RemovingASectionDuringALoadIsSafe) {
    SmartPtr<ResourceManager> manager;
    ASSERT_NO_FATAL_FAILURE(StartHeldInS1(manager, {"s0", "s1", "s2"}));

    // Unloading frees s0 first, which lets the loader finish s1; the removal
    // waits for that load before it frees s1, and s2 is never loaded.
    g_Gate.OpenOnFreeOf("s0");
    EXPECT_TRUE(manager->RemoveSection("s", true));
    EXPECT_EQ(manager->GetSection("s"), nullptr);
    EXPECT_TRUE(manager->WaitForLoadingComplete(1));
    manager = nullptr;
    EXPECT_EQ(g_Journal.Files(), (Files{"s0", "s1"}));
    ExpectAllFreed();
}

TEST_F(ResourceManagerThreaded, UnloadingDuringALoadWaitsForIt) {
    SmartPtr<ResourceManager> manager;
    ASSERT_NO_FATAL_FAILURE(StartHeldInS1(manager, {"s0", "s1"}));

    g_Gate.OpenOnFreeOf("s0");
    manager->UnloadSection("s");
    // The section is still asked for, so the loader loads it again.
    EXPECT_TRUE(manager->WaitForLoadingComplete(1));
    ASSERT_TRUE(g_Journal.WaitForCount(4));
    EXPECT_EQ(g_Journal.Files(), (Files{"s0", "s1", "s0", "s1"}));
    EXPECT_EQ(Resource(manager, "s1", "s")->GetPayload()->m_nValue, 42);
    manager = nullptr;
    ExpectAllFreed();
}

TEST_F(ResourceManagerThreaded, StopJoinsTheLoaderWithinAFrameOrTwo) {
    // Asleep: the loader wakes and ends at once. Best of a few, so a busy
    // machine does not decide it; two frames at 60 per second is 33 ms.
    auto best = std::chrono::steady_clock::duration::max();
    for (int i = 0; i < 5; ++i) {
        SmartPtr<ResourceManager> manager(new ResourceManagerLinux);
        manager->SetReady(true);
        const auto start = std::chrono::steady_clock::now();
        manager->Stop();
        best = std::min(best, std::chrono::steady_clock::now() - start);
        EXPECT_FALSE(manager->IsRunning());
    }
    EXPECT_LT(best, std::chrono::milliseconds(33));

    // Loading: the loader finishes the resource in hand and goes no further.
    SmartPtr<ResourceManager> manager;
    ASSERT_NO_FATAL_FAILURE(StartHeldInS1(manager, {"s1", "s2", "s3"}));
    auto stop = std::async(std::launch::async, [&] { manager->Stop(); });
    while (manager->IsRunning())
        std::this_thread::yield();
    g_Gate.Open();
    stop.get();
    EXPECT_EQ(g_Journal.Files(), (Files{"s1"}));
    EXPECT_TRUE(Resource(manager, "s1", "s")->IsLoaded());
    EXPECT_FALSE(Resource(manager, "s2", "s")->IsLoaded());
    manager->Stop();  // a second stop finds nothing to do
}

TEST_F(ResourceManagerThreaded, InstanceIsCreatedAndRemovedWhileTheLoaderSleeps) {
    ResourceManager::CreateInstance();
    ResourceManager* manager = ResourceManager::g_Instance;
    ASSERT_NE(manager, nullptr);
    EXPECT_TRUE(manager->GetRTTI().DerivesFrom(ResourceManagerLinux::rtti));
    EXPECT_NE(ResourceManager::g_ThreadMutex, nullptr);
    manager->AddSection(Section("s", false, {"s1"}));
    manager->WaitingFor("s");
    manager->SetReady(true);
    EXPECT_TRUE(manager->WaitForLoadingComplete(1));
    manager->UnloadSection("s");  // wakes the loader, which finds nothing to do
    ResourceManager::RemoveInstance();
    EXPECT_EQ(ResourceManager::g_Instance, nullptr);
    ResourceManager::RemoveInstance();
    ExpectAllFreed();
}

// The main thread asks for, fetches, unloads and drops sections at random
// while the loader works through them.
TEST_F(ResourceManagerThreaded, MainThreadAndLoaderShareSectionsSafely) {
    SmartPtr<ResourceManager> manager(new ResourceManagerLinux);
    const char* const names[] = {"r0", "r1", "r2", "r3", "r4", "r5", "r6", "r7"};
    for (const char* section : {"s0", "s1", "s2", "s3"}) {
        auto* made = new ResourceSection(section, section[1] == '3');
        for (const char* name : names)
            made->AddResource(name, new TestResource(std::string(section) + name));
        manager->AddSection(made);
    }
    manager->SetReady(true);
    unsigned seed = 12345;
    auto next = [&seed](unsigned n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    for (int i = 0; i < 400; ++i) {
        const std::string section = "s" + std::to_string(next(4));
        const std::string name = names[next(8)];
        switch (next(6)) {
        case 0: manager->WaitingFor(section); break;
        case 1:
            if (ResourceObject* object = manager->GetResourceObject(name, section)) {
                EXPECT_EQ(static_cast<TestPayload*>(object->GetResource())->m_nValue, 42);
            }
            break;
        case 2: manager->UnloadResource(name, section); break;
        case 3: manager->GetLoadProgress(); break;
        case 4: manager->IsComplete(); break;
        default:
            if (next(8) == 0) {
                manager->RemoveSection(section, next(2) == 0);
                manager->AddSection(Section(section, true, {"r0", "r1"}));
            }
            break;
        }
    }
    manager->WaitForLoadingComplete(1);
    manager = nullptr;
    ExpectAllFreed();
}
