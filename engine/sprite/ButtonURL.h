#pragma once
// A button that opens a web address in the user's browser when clicked,
// then reports like any button. Its four state frames may come from an
// image file named in its data.
#include <string>

#include "engine/io/ObjectInitializer.h"
#include "engine/sprite/Button.h"

namespace ZQ2 {

extern const char* const PROP_URL;

class ButtonURL : public Button {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    explicit ButtonURL(AbstractProperty* data);
    ~ButtonURL() override;

    static BaseObject* OnData(AbstractProperty* data);
    static ObjectInitializer m_ObjectInitializer;

    const RTTI& GetRTTI() const override { return rtti; }

    void SetProperties(PropertyNode* data);
    // Opens the address, then calls the bound callback. A click reaches it
    // only when a callback is bound.
    void ExecuteMethod(BaseObject* sender) override;

    const std::string& GetURL() const { return m_strURL; }
    void SetURL(const std::string& url) { m_strURL = url; }

private:
    // Four frames side by side; a file that does not load changes nothing.
    void LoadImageFile(const std::string& file);

    std::string m_strURL;
};

}  // namespace ZQ2
