#include "engine/graphics/ImageLoaderJPG.h"

// libjpeg's header needs size_t and FILE declared first.
#include <cstdio>
#include <csetjmp>
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>

#include "engine/io/DecodedPicture.h"
#include "engine/io/FileArchive.h"
#include "engine/io/FileUtils.h"

namespace ZQ2 {

const RTTI* const ImageLoaderJPG::rttis[] = {&iImageLoader::rtti, nullptr};
const RTTI ImageLoaderJPG::rtti("ImageLoaderJPG", ImageLoaderJPG::rttis);

namespace {

constexpr size_t kHeaderCheckBytes = 11;

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

// libjpeg's error exit must not return: jump back to the recovery point of
// the guarded function that called into it. Warnings stay silent.
[[noreturn]] void OnJpegError(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1); }
void OnJpegMessage(j_common_ptr) {}

// A source that hands libjpeg the bytes in memory in pieces of at most
// SOURCE_BUFFER_SIZE. Running out of bytes is an error while rows are still
// due; only afterwards is a missing end-of-image code supplied.
struct MemorySource {
    jpeg_source_mgr pub;
    const JOCTET* bytes;
    size_t remaining;
    bool startOfFile;
    bool rowsComplete;
    bool endSupplied;
    JOCTET buffer[ImageLoaderJPG::SOURCE_BUFFER_SIZE];
};

MemorySource* SourceOf(j_decompress_ptr info) { return reinterpret_cast<MemorySource*>(info->src); }

void InitSource(j_decompress_ptr info) { SourceOf(info)->startOfFile = true; }

boolean FillInputBuffer(j_decompress_ptr info) {
    MemorySource* source = SourceOf(info);
    if (source->remaining == 0) {
        if (source->startOfFile)
            ERREXIT(info, JERR_INPUT_EMPTY);
        if (!source->rowsComplete || source->endSupplied)
            ERREXIT(info, JERR_INPUT_EOF);
        source->buffer[0] = 0xFF;
        source->buffer[1] = JPEG_EOI;
        source->pub.next_input_byte = source->buffer;
        source->pub.bytes_in_buffer = 2;
        source->endSupplied = true;
        return TRUE;
    }
    const size_t count = source->remaining < sizeof source->buffer ? source->remaining : sizeof source->buffer;
    std::memcpy(source->buffer, source->bytes, count);
    source->bytes += count;
    source->remaining -= count;
    source->pub.next_input_byte = source->buffer;
    source->pub.bytes_in_buffer = count;
    source->startOfFile = false;
    return TRUE;
}

void SkipInputData(j_decompress_ptr info, long count) {
    if (count <= 0)
        return;
    MemorySource* source = SourceOf(info);
    size_t skip = static_cast<size_t>(count);
    if (skip <= source->pub.bytes_in_buffer) {
        source->pub.next_input_byte += skip;
        source->pub.bytes_in_buffer -= skip;
        return;
    }
    // Past the buffer: skip in memory, never beyond its end; the next fill
    // then reports the shortage.
    skip -= source->pub.bytes_in_buffer;
    source->pub.bytes_in_buffer = 0;
    if (skip > source->remaining)
        skip = source->remaining;
    source->bytes += skip;
    source->remaining -= skip;
}

void TermSource(j_decompress_ptr) {}

// Called inside a guarded function: the pool allocation may fail by longjmp.
void jpeg_myreader_src(j_decompress_ptr info, const unsigned char* bytes, size_t size) {
    if (!info->src) {
        info->src = static_cast<jpeg_source_mgr*>(
            (*info->mem->alloc_small)(reinterpret_cast<j_common_ptr>(info), JPOOL_PERMANENT, sizeof(MemorySource)));
    }
    MemorySource* source = SourceOf(info);
    source->pub.init_source = &InitSource;
    source->pub.fill_input_buffer = &FillInputBuffer;
    source->pub.skip_input_data = &SkipInputData;
    source->pub.resync_to_restart = &jpeg_resync_to_restart;
    source->pub.term_source = &TermSource;
    source->pub.next_input_byte = nullptr;
    source->pub.bytes_in_buffer = 0;
    source->bytes = bytes;
    source->remaining = size;
    source->startOfFile = true;
    source->rowsComplete = false;
    source->endSupplied = false;
}

// Owns libjpeg's decompressor for one decode.
class JpegSession {
public:
    JpegSession() {
        std::memset(&m_Info, 0, sizeof m_Info);
        std::memset(&m_Error, 0, sizeof m_Error);
        m_Info.err = jpeg_std_error(&m_Error.pub);
        m_Error.pub.error_exit = &OnJpegError;
        m_Error.pub.output_message = &OnJpegMessage;
    }
    ~JpegSession() {
        if (m_bCreated)
            jpeg_destroy_decompress(&m_Info);
    }
    JpegSession(const JpegSession&) = delete;
    JpegSession& operator=(const JpegSession&) = delete;

    j_decompress_ptr Info() { return &m_Info; }
    std::jmp_buf& Jump() { return m_Error.jump; }
    // Destroying is safe even when creating fails half-way.
    void Create() {
        m_bCreated = true;
        jpeg_create_decompress(&m_Info);
    }

private:
    jpeg_decompress_struct m_Info;
    ErrorManager m_Error;
    bool m_bCreated = false;
};

// The functions below set a recovery point and call libjpeg, which leaves
// them by longjmp on any error. Nothing with a destructor may live in them.

bool ReadHeader(JpegSession& s, const unsigned char* bytes, size_t size) {
    if (setjmp(s.Jump()))
        return false;
    s.Create();
    jpeg_myreader_src(s.Info(), bytes, size);
    return jpeg_read_header(s.Info(), TRUE) == JPEG_HEADER_OK;
}

bool StartDecompress(JpegSession& s) {
    if (setjmp(s.Jump()))
        return false;
    j_decompress_ptr info = s.Info();
    info->out_color_space = JCS_RGB;
    jpeg_start_decompress(info);
    return info->output_components == 3;
}

bool ReadRows(JpegSession& s, DecodedPicture& picture) {
    if (setjmp(s.Jump()))
        return false;
    j_decompress_ptr info = s.Info();
    while (info->output_scanline < info->output_height) {
        JSAMPROW row = picture.GetRow(static_cast<int>(info->output_scanline));
        if (jpeg_read_scanlines(info, &row, 1) != 1)
            return false;
    }
    SourceOf(info)->rowsComplete = true;
    jpeg_finish_decompress(info);
    return true;
}

bool IsConvertibleToRgb(J_COLOR_SPACE space) {
    return space == JCS_GRAYSCALE || space == JCS_RGB || space == JCS_YCbCr;
}

}  // namespace

bool ImageLoaderJPG::HandlesExtension(const std::string& file) {
    const std::string extension = GetExtension(file);
    return extension.find("jpg") != std::string::npos || extension.find("jpeg") != std::string::npos;
}

bool ImageLoaderJPG::FileIsJpeg(const unsigned char* bytes, size_t size) {
    if (!bytes || size < 10 || bytes[0] != 0xFF || bytes[1] != 0xD8)
        return false;
    return std::memcmp(bytes + 6, "JFIF", 4) == 0 || std::memcmp(bytes + 6, "Exif", 4) == 0;
}

bool ImageLoaderJPG::CheckValidFile(const std::string& file, FileArchive* archive) {
    if (archive && FileArchive::GetArchiveType() != ARCHIVE_FILE) {
        MemoryBuffer_t<unsigned char> member;
        if (archive->ReadMember(MakeValidPath(file), &member))
            return FileIsJpeg(member.GetData(), static_cast<size_t>(member.GetSize()));
    }
    std::FILE* in = std::fopen(MakeValidPath(file).c_str(), "rb");
    if (!in)
        return false;
    unsigned char bytes[kHeaderCheckBytes] = {};
    const size_t read = std::fread(bytes, 1, sizeof bytes, in);
    std::fclose(in);
    return FileIsJpeg(bytes, read);
}

bool ImageLoaderJPG::ReadDimensions(const unsigned char* bytes, size_t size, int& width, int& height) {
    if (!bytes || size == 0)
        return false;
    JpegSession session;
    if (!ReadHeader(session, bytes, size))
        return false;
    width = static_cast<int>(session.Info()->image_width);
    height = static_cast<int>(session.Info()->image_height);
    return true;
}

bool ImageLoaderJPG::Decode(const unsigned char* bytes, size_t size, DecodedPicture& picture) {
    if (!bytes || size == 0)
        return false;
    JpegSession session;
    if (!ReadHeader(session, bytes, size))
        return false;
    j_decompress_ptr info = session.Info();
    if (!DecodedPicture::IsSizeAcceptable(info->image_width, info->image_height) ||
        !IsConvertibleToRgb(info->jpeg_color_space))
        return false;
    if (!StartDecompress(session) ||
        !picture.Allocate(static_cast<int>(info->output_width), static_cast<int>(info->output_height),
                          DecodedPicture::LAYOUT_RGB))
        return false;
    if (ReadRows(session, picture))
        return true;
    picture.Allocate(0, 0, DecodedPicture::LAYOUT_NONE);
    return false;
}

bool ImageLoaderJPG::GetImageDimensions(int& width, int& height) {
    return ReadSourceDimensions(&ReadDimensions, width, height);
}

bool ImageLoaderJPG::Load() { return DecodeSourceToFrames(&Decode); }

}  // namespace ZQ2
