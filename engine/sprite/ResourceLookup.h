#pragma once
// Where sprites and hit masks find the images and masks that their data name.
// The resource manager answers by default; a test or tool may install its
// own source instead.
#include <string>

namespace ZQ2 {

class BaseObject;
class Image;

class ResourceLookup {
public:
    // sheetId is null when the data gives none.
    using ImageSource = Image* (*)(const std::string& name, const std::string& section, const std::string* sheetId);
    using ResourceSource = BaseObject* (*)(const std::string& name, const std::string& section);

    // Null puts the resource manager back.
    static void SetImageSource(ImageSource source) { s_pImageSource = source; }
    static void SetResourceSource(ResourceSource source) { s_pResourceSource = source; }

    // Null when nothing of that name (and kind) is found.
    static Image* GetImage(const std::string& name, const std::string& section, const std::string* sheetId);
    // The resource's payload, or null.
    static BaseObject* GetResource(const std::string& name, const std::string& section);

private:
    static inline ImageSource s_pImageSource = nullptr;
    static inline ResourceSource s_pResourceSource = nullptr;
};

}  // namespace ZQ2
