#pragma once
// A resource manager without a loader thread, for the game's scene tests:
// the test runs the loader's rounds itself, so loading ends exactly when the
// test says.
#include <initializer_list>
#include <string>

#include "engine/io/ResourceSection.h"
#include "engine/resource/ResourceManager.h"
#include "tests/engine/io/TestResource.h"

namespace splashtest {

class StepResourceManager : public ZQ2::ResourceManager {
public:
    void Stop() override { EndRunning(); }
    void Suspend() override {}
    void Resume() override {}
    using ZQ2::ResourceManager::LoadNextResource;

    // Runs rounds until one finds nothing to load.
    void Drain() {
        while (LoadNextResource()) {
        }
    }
};

// A section that loads only when asked for, one test resource per file.
inline ZQ2::ResourceSection* Section(const std::string& name, std::initializer_list<const char*> files,
                                     int units = 1) {
    auto* section = new ZQ2::ResourceSection(name, false);
    for (const char* file : files)
        section->AddResource(file, new restest::TestResource(file, units));
    return section;
}

}  // namespace splashtest
