#pragma once
// Pictures by name for the item and generator tests: every name asked of
// the "delvor" section gets its own picture of two frames, so a test can
// tell which picture a sprite shows and whether its glow frame is on.
#include <map>
#include <string>

#include "engine/graphics/Image.h"
#include "engine/graphics/ImageDataOpenGL.h"
#include "engine/io/PropertyNode.h"
#include "engine/io/PropertyValue.h"
#include "engine/sprite/ResourceLookup.h"

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
            image = new ZQ2::Image(data, 2, 1);
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

}  // namespace itemtest
