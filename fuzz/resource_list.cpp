// Feeds arbitrary bytes to the resource-list reader: the property store's XML
// reader, the sections built from its "Sections" vector, and the load queues
// and loader rounds of a manager that holds them.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/core/SmartPtr.h"
#include "engine/io/ObjectFactory.h"
#include "engine/io/PropertyStore.h"
#include "engine/io/PropertyVector.h"
#include "engine/resource/ResourceManager.h"

namespace {

// Stands for every resource class: it finishes at once, failing without a file.
class FuzzResource : public ZQ2::ResourceObject {
public:
    static inline const ZQ2::RTTI* const rttis[] = {&ZQ2::ResourceObject::rtti, nullptr};
    static inline const ZQ2::RTTI rtti{"FuzzResource", rttis};

    explicit FuzzResource(ZQ2::AbstractProperty* property) : ResourceObject(property) {}
    const ZQ2::RTTI& GetRTTI() const override { return rtti; }
    static ZQ2::BaseObject* OnData(ZQ2::AbstractProperty* property) { return new FuzzResource(property); }

    void Load() override {
        if (GetFile().empty())
            SetError(ZQ2::RESOURCE_ERROR_FILENAME_EMPTY);
        SetFinished();
    }
    ZQ2::BaseObject* GetResource() override { return this; }
};

// The loader's rounds run on the fuzzing thread.
class FuzzManager : public ZQ2::ResourceManager {
public:
    void Stop() override { EndRunning(); }
    void Suspend() override {}
    void Resume() override {}
    using ResourceManager::LoadNextResource;
};

const ZQ2::ObjectFactory* Factory() {
    static ZQ2::ObjectFactory* const factory = [] {
        auto* made = new ZQ2::ObjectFactory;
        made->AddRef();
        for (const char* tag : {"Image", "ResourceImage", "Font", "ResourceFont", "Sound", "ResourceSound", "Stream",
                                "ResourceStream"})
            made->AddFactoryFunction(tag, &FuzzResource::OnData);
        // An object that is no resource, as the engine's placeholders are.
        made->AddFactoryFunction("Sprite",
                                 [](ZQ2::AbstractProperty*) -> ZQ2::BaseObject* { return new ZQ2::BaseObject; });
        return made;
    }();
    return factory;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    ZQ2::SmartPtr<ZQ2::PropertyStore> store(new ZQ2::PropertyStore);
    store->SetCondenseWhiteSpace(false);
    if (!store->ParseFromBuffer(text.c_str()))
        return 0;
    ZQ2::SmartPtr<FuzzManager> manager(new FuzzManager);
    manager->SetObjectFactory(Factory());
    manager->AddSectionsFromStore(store);
    manager->SetReady(true);

    // Ask for every other section, fetch the first resource of the rest, and
    // let the loader work through the queues.
    bool ask = true;
    for (const auto& node : *store->GetVector(ZQ2::PROP_SECTIONS)) {
        const std::string name = node ? node->ToNode()->GetPropString(ZQ2::PROP_NAME) : std::string();
        ZQ2::ResourceSection* section = manager->GetSection(name);
        if (!section)
            continue;
        if (ask)
            manager->WaitingFor(name);
        else if (!section->GetResources().empty())
            manager->GetResourceObject(section->GetResources().begin()->first, name);
        ask = !ask;
    }
    manager->GetLoadProgress();
    while (manager->LoadNextResource()) {
    }
    if (!manager->IsComplete() || manager->GetLoadProgress() != 1.0f)
        __builtin_trap();
    manager->ToString();
    for (const auto& node : *store->GetVector(ZQ2::PROP_SECTIONS)) {
        if (node)
            manager->RemoveSection(node->ToNode()->GetPropString(ZQ2::PROP_NAME), true);
    }
    return 0;
}
