#include "aulos/ausnd_device.h"
#include "aulos/ausnd_tags.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{
using Bytes = std::vector<uint8_t>;

Bytes Text(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

Bytes Padded(const std::string& s, size_t size)
{
    Bytes b = Text(s);
    b.resize(size, 0);
    return b;
}

void Append(Bytes& to, const Bytes& more)
{
    to.insert(to.end(), more.begin(), more.end());
}

Bytes ID3v1(const std::string& title, uint8_t track, uint8_t genre)
{
    Bytes tag = Text("TAG");
    Append(tag, Padded(title, 30));
    Append(tag, Padded("Artist", 30));
    Append(tag, Padded("", 30)); // no album
    Append(tag, Padded("1987", 4));
    Bytes comment = Padded("Nice", 30);
    comment[29] = track;
    Append(tag, comment);
    tag.push_back(genre);
    return tag;
}

Bytes Synchsafe(uint32_t v)
{
    return {static_cast<uint8_t>((v >> 21) & 0x7F), static_cast<uint8_t>((v >> 14) & 0x7F),
            static_cast<uint8_t>((v >> 7) & 0x7F), static_cast<uint8_t>(v & 0x7F)};
}

Bytes BigEndian32(uint32_t v)
{
    return {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8),
            static_cast<uint8_t>(v)};
}

// A version 3 or 4 frame; version 4 sizes are synchsafe.
Bytes Frame(int version, const std::string& id, const Bytes& body)
{
    Bytes frame = Text(id);
    Append(frame, version >= 4 ? Synchsafe(static_cast<uint32_t>(body.size()))
                               : BigEndian32(static_cast<uint32_t>(body.size())));
    frame.push_back(0);
    frame.push_back(0);
    Append(frame, body);
    return frame;
}

Bytes ID3v2(int version, const Bytes& frames, size_t padding = 0, bool footer = false)
{
    const uint32_t size = static_cast<uint32_t>(frames.size() + padding);
    Bytes tag = Text("ID3");
    tag.push_back(static_cast<uint8_t>(version));
    tag.push_back(0);
    tag.push_back(footer ? 0x10 : 0);
    Append(tag, Synchsafe(size));
    Append(tag, frames);
    tag.resize(tag.size() + padding, 0);
    if (footer)
    {
        Append(tag, Text("3DI"));
        tag.push_back(static_cast<uint8_t>(version));
        tag.push_back(0);
        tag.push_back(0x10);
        Append(tag, Synchsafe(size));
    }
    return tag;
}

std::string Value(const AUSND_TAGLIST& list, const char* name, int type = -1)
{
    void* value = nullptr;
    int length = 0;
    if (!AUSND_Tag_Find(list.first, name, type, &value, &length))
        return "<none>";
    return std::string(static_cast<const char*>(value), static_cast<size_t>(length));
}

// The fields' names in list order.
std::vector<std::string> Names(const AUSND_TAGLIST& list)
{
    std::vector<std::string> names;
    for (AUSND_TAGFIELD* f = list.first; f; f = f->next)
        names.push_back(f->name);
    return names;
}

class AulosTags : public ::testing::Test
{
protected:
    AUSND_FILE* Open(const Bytes& image)
    {
        m_image = image;
        return AUSND_File_Open(reinterpret_cast<const char*>(m_image.data()), AUSND_FILE_MEMORY,
                               static_cast<int>(m_image.size()));
    }

    void TearDown() override
    {
        if (m_list.first)
            AUSND_Tag_FreeList(&m_list);
    }

    Bytes m_image;
    AUSND_TAGLIST m_list{};
};
} // namespace

TEST_F(AulosTags, TrailingID3v1BlocksAreReadLaterFirst)
{
    Bytes image = Text("some audio bytes");
    Append(image, ID3v1("First", 0, 3));
    Append(image, ID3v1("Second", 7, 12));
    AUSND_FILE* file = Open(image);
    ASSERT_TRUE(AUSND_Tag_Read(file, &m_list));
    EXPECT_EQ(AUSND_File_Tell(file), 0); // no leading tags
    const std::vector<std::string> names = Names(m_list);
    const std::vector<std::string> expected = {"TITLE", "ARTIST", "YEAR",  "COMMENT", "TRACK", "GENRE",
                                               "TITLE", "ARTIST", "YEAR", "COMMENT", "GENRE"};
    EXPECT_EQ(names, expected);
    EXPECT_EQ(Value(m_list, "title"), std::string("Second") + '\0');
    EXPECT_EQ(Value(m_list, "TRACK", AUSND_TAGFIELD_ID3V1), std::string("7") + '\0');
    EXPECT_EQ(Value(m_list, "GENRE"), std::string("12") + '\0');
    EXPECT_EQ(Value(m_list, "ALBUM"), "<none>");
    EXPECT_EQ(Value(m_list, "TITLE", AUSND_TAGFIELD_ID3V2), "<none>");
    AUSND_File_Close(file);
}

TEST_F(AulosTags, LeadingID3v2TagsAreReadAndSkipped)
{
    for (int version : {3, 4})
    {
        // A 200-byte frame: its version 4 size is synchsafe (0x01 0x48), its
        // version 3 size plain (0x00 0xC8).
        const Bytes longBody(200, 'L');
        Bytes frames = Frame(version, "TIT2", Text("Song"));
        Append(frames, Frame(version, "T\x01XX", Text("bad id"))); // not taken, still skipped
        Append(frames, Frame(version, "COMM", longBody));
        Bytes image = ID3v2(version, frames, 30);
        Append(image, ID3v2(version, Frame(version, "TPE1", Text("Band"))));
        const size_t audio = image.size();
        Append(image, Text("RIFF...."));
        AUSND_FILE* file = Open(image);
        AUSND_TAGLIST list{};
        ASSERT_TRUE(AUSND_Tag_Read(file, &list)) << version;
        EXPECT_EQ(AUSND_File_Tell(file), static_cast<int>(audio)) << version;
        EXPECT_EQ(Names(list), (std::vector<std::string>{"TIT2", "COMM", "TPE1"})) << version;
        EXPECT_EQ(Value(list, "COMM"), std::string(longBody.begin(), longBody.end())) << version;
        EXPECT_EQ(Value(list, "TPE1", AUSND_TAGFIELD_ID3V2), "Band");
        AUSND_Tag_FreeList(&list);

        AUSND_File_Seek(file, 0, 0);
        ASSERT_TRUE(AUSND_Tag_Skip(file));
        EXPECT_EQ(AUSND_File_Tell(file), static_cast<int>(audio)) << version;
        AUSND_File_Close(file);
    }
}

TEST_F(AulosTags, FrameSizesAreBoundedByTheTag)
{
    // The second frame claims more than the tag holds; the bytes after the tag
    // are never read as a frame, and the reader ends at the tag's end.
    Bytes frames = Frame(3, "TIT2", Text("Ok"));
    Bytes liar = Frame(3, "TALB", Text("xx"));
    liar[7] = 100;
    Append(frames, liar);
    Bytes image = ID3v2(3, frames);
    const size_t tagEnd = image.size();
    Append(image, Frame(3, "TPE1", Text("outside")));
    AUSND_FILE* file = Open(image);
    ASSERT_TRUE(AUSND_Tag_ReadID3v2((AUSND_File_Seek(file, 3, 0), file), &m_list));
    EXPECT_EQ(Names(m_list), std::vector<std::string>{"TIT2"});
    EXPECT_EQ(AUSND_File_Tell(file), static_cast<int>(tagEnd));
    AUSND_File_Close(file);
}

TEST_F(AulosTags, TrailingID3v2FooterAndID3v1AreBothRead)
{
    Bytes image = Text("audio");
    Append(image, ID3v2(4, Frame(4, "TIT2", Text("Tail")), 0, true));
    Append(image, ID3v1("Last", 0, 1));
    AUSND_FILE* file = Open(image);
    ASSERT_TRUE(AUSND_Tag_Read(file, &m_list));
    EXPECT_EQ(Value(m_list, "TIT2"), "Tail");
    EXPECT_EQ(Value(m_list, "TITLE"), std::string("Last") + '\0');
    EXPECT_EQ(Names(m_list).front(), "TITLE"); // the ID3v1 block, read first
    AUSND_File_Close(file);
}

TEST_F(AulosTags, TruncatedTagsFailWithAnError)
{
    Bytes cut = ID3v2(3, Frame(3, "TIT2", Text("Song")));
    cut.resize(cut.size() - 4);
    Bytes shortV1 = Text("TAG");
    Append(shortV1, Padded("x", 20));
    for (const Bytes& image : {cut, shortV1})
    {
        AUSND_FILE* file = Open(image);
        AUSND_TAGLIST list{};
        EXPECT_FALSE(AUSND_Tag_Read(file, &list));
        EXPECT_EQ(AUSND_GetError(), AUSND_ERR_FILE_BAD);
        if (list.first)
            AUSND_Tag_FreeList(&list);
        AUSND_File_Seek(file, 0, 0);
        EXPECT_FALSE(AUSND_Tag_Skip(file));
        AUSND_File_Close(file);
    }
    EXPECT_FALSE(AUSND_Tag_FreeList(nullptr));
    AUSND_TAGLIST empty{};
    EXPECT_FALSE(AUSND_Tag_FreeList(&empty));
    EXPECT_EQ(AUSND_GetError(), AUSND_ERR_INVALID_PARAM);
}

TEST_F(AulosTags, VorbisCommentsSplitAtTheFirstEquals)
{
    char artist[] = "ARTIST=Some=One";
    char plain[] = "no equals sign";
    char empty[] = "";
    char title[] = "title=";
    char* comments[] = {artist, plain, empty, title};
    ASSERT_TRUE(AUSND_Tag_ReadVorbisComments(comments, nullptr, 4, &m_list));
    EXPECT_EQ(Names(m_list), (std::vector<std::string>{"ARTIST", "title"}));
    EXPECT_EQ(Value(m_list, "artist", AUSND_TAGFIELD_VORBISCOMMENT), "Some=One");
    EXPECT_EQ(Value(m_list, "artist", -1), "Some=One");
    EXPECT_EQ(Value(m_list, "artist", AUSND_TAGFIELD_ID3V1), "<none>");
    EXPECT_EQ(Value(m_list, "TITLE"), "");
    EXPECT_FALSE(AUSND_Tag_ReadVorbisComments(nullptr, nullptr, 0, &m_list));
}
