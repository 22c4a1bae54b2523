#pragma once
// An image of the resource lists: a PNG or JPEG picture cut into a grid of
// frames, optionally with a separate mask picture merged into its alpha,
// or a sheet description (an ".xml" file) naming several sub-images cut from
// one picture. Its payload is the resource itself; the images are reached
// by name.
#include <map>
#include <string>

#include "engine/core/SmartPtr.h"
#include "engine/core/ZQVector.h"
#include "engine/io/ObjectInitializer.h"
#include "engine/io/ResourceObject.h"

namespace ZQ2 {

class Image;
class ImageData;
class PropertyVector;
class iImageLoader;

extern const char* const PROP_MASK;
extern const char* const PROP_PADDING;

class ResourceImage : public ResourceObject {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    // The most frames, columns or rows a picture may be cut into.
    static constexpr int MAX_GRID_COUNT = 65536;

    // "file", "archive", then "mask", "padding", "columncount", "framecount",
    // "rowcount" and "usealphachannel".
    explicit ResourceImage(AbstractProperty* property);
    ResourceImage(const std::string& file, const std::string& maskFile, int frameCount, int columnCount,
                  bool padding);
    ~ResourceImage() override;
    const RTTI& GetRTTI() const override { return rtti; }

    static BaseObject* OnData(AbstractProperty* data);

    // An ".xml" file becomes the sheet description; the loaders are made.
    virtual void Init();

    void Load() override;
    BaseObject* GetResource() override { return this; }
    // Keeps everything while any pixel was changed at run time.
    void FreeResource() override;
    bool Equals(ResourceObject* other) override;
    std::string ToStringForResource() const override;

    // The first image in name order, or null.
    Image* GetImage() const;
    // The image filed under name, or null.
    Image* GetImage(const std::string& name) const;
    const std::map<std::string, SmartPtr<Image>>& GetImages() const { return m_Images; }
    // Whether any frame's pixels were written since they were decoded.
    bool HasAlteredData() const;

    const std::string& GetMaskFile() const { return m_strMaskFile; }
    const std::string& GetDescriptionFile() const { return m_strDescriptionFile; }
    int GetFrameCount() const { return m_nFrameCount; }
    int GetColumnCount() const { return m_nColumnCount; }
    bool HasPadding() const { return m_bPadding; }
    // 2 when not given, else 0 or 1.
    int GetUseAlphaChannel() const { return m_nUseAlphaChannel; }

private:
    static ObjectInitializer m_ObjectInitializer;
    static ObjectInitializer m_ClassNameInitializer;

    void ReadKeys(PropertyNode* node);
    void LoadData();
    bool ReadDescription(std::string& file, std::string& maskFile, SmartPtr<PropertyVector>& sheets);
    void Decode(const std::string& file, bool maskOnly, PropertyVector* sheets);
    bool FileImages(const ZQVector<SmartPtr<ImageData>>& datas, PropertyVector* sheets);
    void MergeMask(const std::string& maskFile);
    void DropDecodedData();

    std::string m_strMaskFile;
    std::string m_strDescriptionFile;
    std::map<std::string, SmartPtr<Image>> m_Images;
    ZQVector<SmartPtr<iImageLoader>> m_Loaders;
    int m_nFrameCount = 1;
    int m_nColumnCount = 1;
    bool m_bPadding = false;
    int m_nUseAlphaChannel = 2;
    // A grid key below 1 was given: the picture cannot be cut.
    bool m_bBadGrid = false;
};

}  // namespace ZQ2
