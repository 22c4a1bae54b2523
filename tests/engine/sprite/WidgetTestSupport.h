#pragma once
// Shared by the widget tests: widgets built from XML text, plain test
// pictures served by name, and mouse and key messages.
#include <gtest/gtest.h>

#include <lua.hpp>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "engine/core/SmartPtr.h"
#include "engine/framework/KeyboardMessageData.h"
#include "engine/framework/MouseMessageData.h"
#include "engine/graphics/Image.h"
#include "engine/graphics/ImageDataOpenGL.h"
#include "engine/io/ObjectFactory.h"
#include "engine/io/PropertyStore.h"
#include "engine/script/Lua.h"
#include "engine/sprite/GameNode.h"
#include "engine/sprite/ResourceLookup.h"
#include "platform/MessageDialog.h"

namespace WidgetTest {

// The object the factory builds from the first element of <root>...</root>.
template <class T>
ZQ2::SmartPtr<T> FromXml(const std::string& element) {
    ZQ2::SmartPtr<ZQ2::PropertyStore> store(new ZQ2::PropertyStore);
    EXPECT_TRUE(store->ParseFromBuffer(("<root>" + element + "</root>").c_str())) << element;
    ZQ2::SmartPtr<ZQ2::BaseObject> object(ZQ2::ObjectFactory::Instance()->CreateObject(store->GetChild(0)));
    return ZQ2::SmartPtr<T>(ZQ2::DynamicCast<T>(object.Get()));
}

// frames side by side of one colour each (ARGB); all frames width x height.
inline ZQ2::SmartPtr<ZQ2::Image> MakeImage(int width, int height, int frames = 1, uint32_t argb = 0xFFFFFFFF) {
    auto* data = new ZQ2::ImageDataOpenGL(width * frames, height, width * frames, height, true);
    data->Lock(false);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width * frames; ++x)
            *data->GetPixelData<uint32_t>(x, y) = argb;
    }
    data->Unlock();
    return ZQ2::SmartPtr<ZQ2::Image>(new ZQ2::Image(data, frames, frames));
}

// Pictures served to sprites, painters and dialogs by "section/name".
class FakeImages {
public:
    FakeImages() { ZQ2::ResourceLookup::SetImageSource(&Get); }
    ~FakeImages() {
        ZQ2::ResourceLookup::SetImageSource(nullptr);
        Images().clear();
    }
    FakeImages(const FakeImages&) = delete;
    FakeImages& operator=(const FakeImages&) = delete;

    void Add(const std::string& key, ZQ2::Image* image) { Images()[key] = image; }

private:
    static std::map<std::string, ZQ2::SmartPtr<ZQ2::Image>>& Images() {
        static std::map<std::string, ZQ2::SmartPtr<ZQ2::Image>> images;
        return images;
    }
    static ZQ2::Image* Get(const std::string& name, const std::string& section, const std::string*) {
        auto found = Images().find(section + "/" + name);
        return found == Images().end() ? nullptr : found->second.Get();
    }
};

inline ZQ2::MouseMessageData Mouse(float x, float y, unsigned int state = 0) {
    return ZQ2::MouseMessageData(x, y, state, false);
}

inline ZQ2::KeyboardMessageData Key(unsigned long character) {
    return ZQ2::KeyboardMessageData(character, ZQ2::SYSKEY_NONE);
}

// A Lua state with the game's class scripts, in which widgets are published
// as globals.
class LuaFixture : public ::testing::Test {
protected:
    void SetUp() override {
        platform::MessageDialog::SetPresenter(
            [](const std::string&, const std::string&, const std::vector<std::string>&) { return 0; });
        ZQ2::Lua::CreateInstance();
        ASSERT_TRUE(ZQ2::Lua::g_Instance->Initialize());
        L = ZQ2::Lua::g_Instance->GetState();
        ZQ2::Lua::g_Instance->SetScriptFolder(ScriptFolder());
    }
    void TearDown() override {
        ZQ2::Lua::ReleaseInstance();
        platform::MessageDialog::SetPresenter(nullptr);
    }

    // data/script beside the tests' data folder.
    static std::string ScriptFolder() {
        const char* data = std::getenv("DELVOR_TEST_DATA");
        const std::filesystem::path root =
            std::filesystem::path(data ? data : "tests/data").parent_path().parent_path();
        return (root / "data" / "script").string() + "/";
    }
    void Publish(const char* name, ZQ2::GameNode* node) {
        node->PushLuaObject(L);
        lua_setglobal(L, name);
    }
    bool Run(const std::string& chunk) {
        return ZQ2::Lua::g_Instance->LoadFromBuffer(chunk.data(), chunk.size(), "=test");
    }
    static std::string Error() { return ZQ2::Lua::g_Instance->GetLastError(); }

    lua_State* L = nullptr;
};

}  // namespace WidgetTest
