#pragma once
// A resource class for the resource tests: its load can be held at a gate or
// made to fail, it records every load in a journal, and it owns a payload
// that it touches after the gate, so a free during its load is caught.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/io/AbstractProperty.h"
#include "engine/io/ObjectFactory.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "engine/io/ResourceObject.h"

namespace restest {

using namespace std::chrono_literals;

// The files loaded, in order, from any thread.
class LoadJournal {
public:
    void Record(const std::string& file) {
        {
            std::lock_guard<std::mutex> lock(m_Mutex);
            m_Files.push_back(file);
        }
        m_Changed.notify_all();
    }
    std::vector<std::string> Files() const {
        std::lock_guard<std::mutex> lock(m_Mutex);
        return m_Files;
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Files.clear();
    }
    // False when fewer than count loads were recorded within a generous time.
    bool WaitForCount(size_t count) {
        std::unique_lock<std::mutex> lock(m_Mutex);
        return m_Changed.wait_for(lock, 10s, [&] { return m_Files.size() >= count; });
    }

private:
    mutable std::mutex m_Mutex;
    std::condition_variable m_Changed;
    std::vector<std::string> m_Files;
};

// Holds the first load of one file until the test opens the gate.
class LoadGate {
public:
    void Arm(const std::string& file) {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_strArmed = file;
        m_strOpener.clear();
        m_bEntered = false;
        m_bOpen = false;
    }
    void PassIfArmed(const std::string& file) {
        std::unique_lock<std::mutex> lock(m_Mutex);
        if (m_strArmed.empty() || file != m_strArmed)
            return;
        m_strArmed.clear();  // one load only
        m_bEntered = true;
        m_Changed.notify_all();
        m_Changed.wait(lock, [&] { return m_bOpen; });
    }
    bool WaitUntilEntered() {
        std::unique_lock<std::mutex> lock(m_Mutex);
        return m_Changed.wait_for(lock, 10s, [&] { return m_bEntered; });
    }
    // The gate opens when file is freed, so a free that must come first
    // lets the held load go on.
    void OpenOnFreeOf(const std::string& file) {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_strOpener = file;
    }
    void NoteFree(const std::string& file) {
        bool open = false;
        {
            std::lock_guard<std::mutex> lock(m_Mutex);
            open = !m_strOpener.empty() && file == m_strOpener;
        }
        if (open)
            Open();
    }
    void Open() {
        {
            std::lock_guard<std::mutex> lock(m_Mutex);
            m_bOpen = true;
            m_strArmed.clear();
            m_strOpener.clear();
        }
        m_Changed.notify_all();
    }

private:
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    std::string m_strArmed;
    std::string m_strOpener;
    bool m_bEntered = false;
    bool m_bOpen = false;
};

inline LoadJournal g_Journal;
inline LoadGate g_Gate;

class TestPayload : public ZQ2::BaseObject {
public:
    static inline std::atomic<int> s_nAlive{0};
    TestPayload() { ++s_nAlive; }
    ~TestPayload() override { --s_nAlive; }
    int m_nValue = 0;
};

// Keys besides "file" and "archive": "units" (int), "fail" (boolean), and
// "unfinished" (boolean: Load returns without finishing).
class TestResource : public ZQ2::ResourceObject {
public:
    static inline const ZQ2::RTTI* const rttis[] = {&ZQ2::ResourceObject::rtti, nullptr};
    static inline const ZQ2::RTTI rtti{"TestResource", rttis};
    static inline std::atomic<int> s_nAlive{0};

    explicit TestResource(const std::string& file, int units = 1, bool fail = false)
        : ResourceObject(file), m_bFail(fail) {
        SetUnits(units);
        ++s_nAlive;
    }
    explicit TestResource(ZQ2::AbstractProperty* property) : ResourceObject(property) {
        ++s_nAlive;
        if (!property)
            return;
        ZQ2::PropertyNode* node = property->ToNode();
        m_strKind = node->GetTypeName();
        if (node->HasProperty("units"))
            SetUnits(node->GetValue("units")->ToInt());
        m_bFail = node->GetValue("fail")->ToBoolean();
        m_bUnfinished = node->GetValue("unfinished")->ToBoolean();
    }
    ~TestResource() override { --s_nAlive; }
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }

    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* property) { return new TestResource(property); }

    void Load() override {
        ++m_nLoads;
        m_pPayload = new TestPayload;
        g_Journal.Record(GetFile());
        g_Gate.PassIfArmed(GetFile());
        m_pPayload->m_nValue = 42;
        if (m_bUnfinished)
            return;
        if (m_bFail)
            SetError(ZQ2::RESOURCE_ERROR_INVALID_FORMAT);
        SetFinished();
    }
    ZQ2::BaseObject* GetResource() override { return m_pPayload; }
    void FreeResource() override {
        g_Gate.NoteFree(GetFile());
        m_pPayload = nullptr;
        ResourceObject::FreeResource();
    }

    int GetLoadCount() const { return m_nLoads.load(); }
    TestPayload* GetPayload() const { return m_pPayload; }
    const std::string& GetKind() const { return m_strKind; }

private:
    std::atomic<int> m_nLoads{0};
    ZQ2::SmartPtr<TestPayload> m_pPayload;
    std::string m_strKind;
    bool m_bFail = false;
    bool m_bUnfinished = false;
};

// A factory of the tests' own, so the engine's factory keeps only the
// engine's classes: "TestResource" builds a test resource and "Sprite" an
// object that is no resource.
class TestFactory : public ZQ2::ObjectFactory {
public:
    TestFactory() {
        AddFactoryFunction("TestResource", &TestResource::OnData);
        AddFactoryFunction("Sprite", [](ZQ2::AbstractProperty*) -> ZQ2::BaseObject* { return new TestPayload(); });
    }
};

}  // namespace restest
