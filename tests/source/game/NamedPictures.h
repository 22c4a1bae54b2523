#pragma once
// Pictures made up on demand for the site objects' tests: every name asked
// for in section "delvor" gets its own small picture (width and height as
// given), so a test can read back which picture a sprite shows.
#include <map>
#include <string>

#include "engine/core/SmartPtr.h"
#include "engine/graphics/Image.h"
#include "engine/graphics/ImageDataOpenGL.h"
#include "engine/sprite/ResourceLookup.h"

namespace gametest {

class NamedPictures {
public:
    NamedPictures(int width = 20, int height = 10) {
        s_iWidth = width;
        s_iHeight = height;
        ZQ2::ResourceLookup::SetImageSource(&Get);
    }
    ~NamedPictures() {
        ZQ2::ResourceLookup::SetImageSource(nullptr);
        s_Pictures.clear();
    }
    NamedPictures(const NamedPictures&) = delete;
    NamedPictures& operator=(const NamedPictures&) = delete;

    // The name the picture was asked by; empty for null or a stranger.
    static std::string NameOf(const ZQ2::Image* image) {
        for (const auto& [name, picture] : s_Pictures)
            if (picture.Get() == image && image)
                return name;
        return std::string();
    }

private:
    static ZQ2::Image* Get(const std::string& name, const std::string& section, const std::string*) {
        if (section != "delvor" || name.empty())
            return nullptr;
        ZQ2::SmartPtr<ZQ2::Image>& picture = s_Pictures[name];
        if (!picture)
            picture = new ZQ2::Image(new ZQ2::ImageDataOpenGL(s_iWidth, s_iHeight, s_iWidth, s_iHeight, true), 1, 1);
        return picture.Get();
    }

    static inline std::map<std::string, ZQ2::SmartPtr<ZQ2::Image>> s_Pictures;
    static inline int s_iWidth = 20;
    static inline int s_iHeight = 10;
};

}  // namespace gametest
