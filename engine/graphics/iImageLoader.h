#pragma once
// Base of the picture decoders that image resources use: given a file (as a
// path, or as bytes already read from the data archive) a loader reports the
// picture's size and cuts it into a grid of equal frames, one image data per
// frame.
#include <cstddef>
#include <string>

#include "engine/core/BaseObject.h"
#include "engine/core/BitFlags_t.h"
#include "engine/core/MemoryBuffer_t.h"
#include "engine/core/SmartPtr.h"
#include "engine/core/ZQVector.h"
#include "engine/graphics/ImageData.h"
#include "engine/io/eImageDataCreationFlag.h"

namespace ZQ2 {

class DecodedPicture;
class FileArchive;

class iImageLoader : public BaseObject {
public:
    static const RTTI* const rttis[];
    static const RTTI rtti;

    iImageLoader() = default;
    iImageLoader(const iImageLoader&) = delete;
    iImageLoader& operator=(const iImageLoader&) = delete;
    const RTTI& GetRTTI() const override { return rtti; }

    // Whether a file of this name is one this loader reads (by extension).
    virtual bool HandlesExtension(const std::string& file) = 0;
    // The picture's size from its header; false when it cannot be read.
    virtual bool GetImageDimensions(int& width, int& height) = 0;
    // Decodes the whole picture into frame count image datas; true when
    // every frame was made. On failure no image data is kept.
    virtual bool Load() = 0;
    // Whether file starts like a picture of this loader's format.
    virtual bool CheckValidFile(const std::string& file, FileArchive* archive) = 0;

    // bytes (not owned, kept until the next call) are the file's content
    // already read; null means that the file at the path is read.
    void SetDrawSettings(const unsigned char* bytes, int size, const std::string& file,
                         const BitFlags_t<eImageDataCreationFlag>& flags);
    void SetFrameCount(int count) { m_nFrameCount = count; }
    void SetColumnCount(int count) { m_nColumnCount = count; }
    int GetFrameCount() const { return m_nFrameCount; }
    int GetColumnCount() const { return m_nColumnCount; }
    const std::string& GetFileName() const { return m_strFileName; }
    const BitFlags_t<eImageDataCreationFlag>& GetCreationFlags() const { return m_CreationFlags; }

    // The frames of the last Load, row by row.
    const ZQVector<SmartPtr<ImageData>>& GetImageDatas() const { return m_ImageDatas; }
    // Drops the decoded frames and any copy of the file.
    void FreeImageDatas();

    // New image data of width x height from the renderer (no reference
    // taken); before a renderer exists, a texture it can upload later.
    static ImageData* CreateImageData(int width, int height);

protected:
    // The file's bytes: the ones given, or the file read whole once per
    // SetDrawSettings. False when there are none.
    bool GetSourceBytes(const unsigned char*& bytes, size_t& size);
    void ClearFrames() { m_ImageDatas.clear(); }
    // Cuts picture into the frame grid; true when every frame was made.
    bool MakeFrames(const DecodedPicture& picture);

    // A format's readers of bytes in memory, which the loaders below run
    // over the source bytes.
    using DimensionReader = bool (*)(const unsigned char* bytes, size_t size, int& width, int& height);
    using PictureDecoder = bool (*)(const unsigned char* bytes, size_t size, DecodedPicture& picture);
    bool ReadSourceDimensions(DimensionReader read, int& width, int& height);
    // Load for a format: decodes the source bytes and cuts the frames.
    bool DecodeSourceToFrames(PictureDecoder decode);

private:
    bool MakeFrame(const DecodedPicture& picture, int left, int top, int width, int height);

    const unsigned char* m_pSourceBytes = nullptr;
    int m_nSourceSize = 0;
    BitFlags_t<eImageDataCreationFlag> m_CreationFlags;
    std::string m_strFileName;
    int m_nFrameCount = 1;
    int m_nColumnCount = 1;
    ZQVector<SmartPtr<ImageData>> m_ImageDatas;
    MemoryBuffer_t<unsigned char> m_FileBytes;
    bool m_bFileRead = false;
};

}  // namespace ZQ2
