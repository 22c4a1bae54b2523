#pragma once
// Pictures by name for the item and generator tests: every name asked of
// the "delvor" section gets its own picture of two frames, so a test can
// tell which picture a sprite shows and whether its glow frame is on.
#include <map>
#include <string>
#include <vector>

#include "engine/graphics/Image.h"
#include "engine/graphics/ImageDataOpenGL.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "engine/sprite/ResourceLookup.h"
#include "source/game/Dovidi.h"

namespace itemtest {

class NamedPictures {
public:
    NamedPictures() {
        Pictures().clear();
        ZQ2::ResourceLookup::SetImageSource(&NamedPictures::Get);
    }
    ~NamedPictures() {
        ZQ2::ResourceLookup::SetImageSource(nullptr);
        Pictures().clear();
    }
    NamedPictures(const NamedPictures&) = delete;
    NamedPictures& operator=(const NamedPictures&) = delete;

    // The picture of that name, made on first use.
    static ZQ2::Image* Named(const std::string& name) {
        ZQ2::SmartPtr<ZQ2::Image>& image = Pictures()[name];
        if (!image) {
            // Two frames of 8 x 10 side by side.
            auto* data = new ZQ2::ImageDataOpenGL(16, 10, 16, 10, true);
            image = new ZQ2::Image(data, 2, 2);
        }
        return image.Get();
    }
    // The name a picture was made for, or empty.
    static std::string NameOf(const ZQ2::Image* image) {
        for (const auto& [name, picture] : Pictures())
            if (picture.Get() == image)
                return name;
        return std::string();
    }

private:
    static ZQ2::Image* Get(const std::string& name, const std::string& section, const std::string*) {
        if (section != "delvor" || name.empty())
            return nullptr;
        return Named(name);
    }
    static std::map<std::string, ZQ2::SmartPtr<ZQ2::Image>>& Pictures() {
        static std::map<std::string, ZQ2::SmartPtr<ZQ2::Image>> pictures;
        return pictures;
    }
};

// The data node of a site object with a picture of its own.
inline ZQ2::SmartPtr<ZQ2::PropertyNode> SiteNode(const std::string& type, const std::string& name,
                                                 const std::string& image, float x, float y) {
    ZQ2::SmartPtr<ZQ2::PropertyNode> node(new ZQ2::PropertyNode(name, type));
    node->InsertProperty(new ZQ2::PropertyValue("name", name, true));
    node->InsertProperty(new ZQ2::PropertyValue("image", image, true));
    node->InsertProperty(new ZQ2::PropertyValue("section", std::string("delvor"), true));
    node->InsertProperty(new ZQ2::PropertyValue("x", x, true));
    node->InsertProperty(new ZQ2::PropertyValue("y", y, true));
    return node;
}

// A carrier whose situation the test sets: what she is doing, where she
// stands and how many hands are free; her walks are only recorded.
class Carrier : public Dovidi {
public:
    Carrier() : Dovidi(400.0f, 300.0f, nullptr) {}
    int GetBossActivity() const override { return m_iActivity; }
    void SetBossActivity(int activity) override { m_iActivity = activity; }
    bool IsWaitingForItemGeneration() const override { return m_iActivity == 3; }
    bool DoWalkFinished() override {
        ++m_iWalksFinished;
        m_iActivity = 0;
        return true;
    }
    bool IsAtTable(int table) const override { return table == m_iAtTable; }
    int GetNumItemsFree() const override { return m_iFree; }
    int GetNumItems() const override { return 2 - m_iFree; }
    int GetMaxItems() const override { return 2; }
    bool IsInHomePosition() const override { return m_bHome; }
    ZQ2::Point_t<float> GetHomePosition() const override { return {520.5f, 310.0f}; }
    void WalkToTable(int table) override { m_Walks.push_back("table " + std::to_string(table)); }
    void WalkToSpot(int x, int y, int firstH, int firstV, int, int) override {
        m_Walks.push_back("spot " + std::to_string(x) + "," + std::to_string(y) + " facing " +
                          std::to_string(firstH) + "," + std::to_string(firstV));
    }

    int m_iActivity = 0;
    int m_iAtTable = 0;
    int m_iFree = 2;
    bool m_bHome = false;
    int m_iWalksFinished = 0;
    std::vector<std::string> m_Walks;
};

}  // namespace itemtest
