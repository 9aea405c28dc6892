#include <gtest/gtest.h>

#include <cstring>

#include "platform/NxFile.h"
#include "support/HandleMark.h"
#include "tests/platform/Scratch.h"

namespace {
const uint32_t kRW = NX_ACCESS_READ | NX_ACCESS_WRITE;
const uint32_t kShareRead = NX_ACCESS_READ | NX_ACCESS_SHARE_READ;

int ReadByte(void* file)
{
    uint8_t b = 0;
    return NxReadFile(file, &b, 1, nullptr) == NX_SUCCESS ? b : -1;
}

// Reaches the fields that other modules use directly.
struct Peek : NxFile {
    void Fill(uint8_t v)
    {
        m_flag = v;
        m_word1 = m_word2 = m_ioState = v;
        std::memset(m_userArea, v, sizeof m_userArea);
    }
    std::string Fields() const // flag/words/area; "!" for each area byte unlike the first
    {
        std::string s = std::to_string(m_flag) + "/" + std::to_string(m_word1) + "/" + std::to_string(m_word2) + "/" +
                        std::to_string(m_ioState) + "/";
        for (uint8_t b : m_userArea)
            s += b == m_userArea[0] ? "" : "!";
        return s + std::to_string(m_userArea[0]);
    }
    using NxFile::m_handle;
};
} // namespace

TEST(NxFiles, CreationAndAccessWords)
{
    const std::string path = ScratchFile("words.bin");
    EXPECT_EQ(nullptr, NxOpenFile(path.c_str(), 0, NX_ACCESS_READ)) << "missing file opened";
    void* f = NxOpenFile(path.c_str(), NX_CREATE_NEW, NX_ACCESS_WRITE);
    EXPECT_EQ(-1, ReadByte(f)) << "read on a write-only file";
    EXPECT_EQ(NX_SUCCESS, NxWriteFile(f, "abc", 3, nullptr));
    EXPECT_EQ(NX_SUCCESS, NxCloseFile(f));
    EXPECT_EQ(nullptr, NxOpenFile(path.c_str(), NX_CREATE_NEW, NX_ACCESS_READ)) << "create-new on existing file";

    f = NxOpenFile(std::wstring(path.begin(), path.end()).c_str(), 0, NX_ACCESS_READ);
    EXPECT_EQ(NX_FAILED, NxWriteFile(f, "x", 1, nullptr)) << "write on a read-only file";
    EXPECT_EQ('a', ReadByte(f));
    EXPECT_EQ(nullptr, NxOpenFile(path.c_str(), 0, kShareRead)) << "unshared file opened twice";
    NxCloseFile(f);
    f = NxOpenFile(path.c_str(), 0, kShareRead);
    void* g = NxOpenFile(path.c_str(), 0, kShareRead);
    EXPECT_NE(nullptr, g) << "read sharing refused";
    EXPECT_EQ(nullptr, NxOpenFile(path.c_str(), 0, NX_ACCESS_WRITE | kShareRead)) << "writing was not shared";
    NxCloseFile(f);
    NxCloseFile(g);

    const uint32_t kShareAll = kRW | NX_ACCESS_SHARE_READ | NX_ACCESS_SHARE_WRITE;
    f = NxOpenFile(path.c_str(), NX_CREATE_ALWAYS | NX_CREATE_NEW, kShareAll);
    g = NxOpenFile(path.c_str(), 0, kShareAll);
    EXPECT_EQ(0u, NxGetFileSize(f, nullptr)) << "create-always must truncate";
    EXPECT_NE(nullptr, g) << "full sharing refused";
    NxCloseFile(f);
    NxCloseFile(g);
    EXPECT_EQ(NX_SUCCESS, NxDeleteFile(path.c_str()));
    EXPECT_EQ(NX_FAILED, NxDeleteFile(path.c_str()));
}

TEST(NxFiles, SeekFormsAndSize)
{
    void* f = NxOpenFile(ScratchFile("seek.bin").c_str(), NX_CREATE_ALWAYS, kRW);
    ASSERT_EQ(NX_SUCCESS, NxWriteFile(f, "ABCDEFGHIJKLMNOPQRST", 20, nullptr));
    EXPECT_EQ(NX_SUCCESS, NxSeekFile(f, 1, 3, 2, NX_SEEK_BEGIN)); // count * size + offset
    EXPECT_EQ('H', ReadByte(f));
    EXPECT_EQ(NX_SUCCESS, NxSeekFile(f, -1, 2, 4, NX_SEEK_CURRENT));
    EXPECT_EQ('P', ReadByte(f));
    EXPECT_EQ(NX_SUCCESS, NxSeekFile(f, -2, 0, 0, NX_SEEK_END));
    EXPECT_EQ('S', ReadByte(f));
    EXPECT_EQ(NX_FAILED, NxSeekFile(f, -1, 0, 0, NX_SEEK_BEGIN));

    EXPECT_EQ(7, NxSeekFile(f, 7, nullptr, 99)) << "unknown origin is the start";
    int32_t high = 0;
    EXPECT_EQ(-1, NxSeekFile(f, -1, &high, NX_SEEK_BEGIN)) << "low word 0xFFFFFFFF is a position";
    EXPECT_EQ(20u, NxGetFileSize(f, nullptr));
    EXPECT_EQ(NX_SUCCESS, NxCloseFile(f));
    EXPECT_EQ(NX_CLOSE_HANDLE_ERROR, NxCloseFile(nullptr));
}

TEST(NxFileClass, OpenTwiceSeekAndClosedResults)
{
    const std::string path = ScratchFile("class.bin");
    NxFile f;
    ASSERT_EQ(NX_SUCCESS, f.OpenNxFile(path.c_str(), NX_CREATE_ALWAYS, kRW));
    void* first = f.GetNxFileHandle();
    EXPECT_EQ(NX_HANDLE_ALREADY_OPEN, f.OpenNxFile(path.c_str(), 0, NX_ACCESS_READ));
    EXPECT_EQ(first, f.GetNxFileHandle()) << "second open replaced the handle";
    EXPECT_EQ(NX_SUCCESS, f.WriteNxFile("0123456789", 10, nullptr));
    int32_t high = 7;
    EXPECT_EQ(9, f.SeekNxFile(-1, &high, NX_SEEK_END, true));
    EXPECT_EQ(0, high) << "extended seek hands back the high word";
    EXPECT_EQ(NX_FAILED, f.SeekNxFile(-20, nullptr, NX_SEEK_CURRENT, true));
    EXPECT_EQ(3, f.SeekNxFile(3, nullptr, NX_SEEK_BEGIN, false));
    char c = 0;
    EXPECT_EQ(NX_SUCCESS, f.ReadNxFile(&c, 1, nullptr));
    EXPECT_EQ('3', c);
    EXPECT_EQ(NX_SUCCESS, f.CloseNxFile());

    EXPECT_EQ(nullptr, f.GetNxFileHandle());
    for (int32_t closed :
         std::initializer_list<int32_t>{f.CloseNxFile(), f.ReadNxFile(&c, 1, nullptr), f.SeekNxFile(0, 0u, 0u, 0u),
                                        f.SeekNxFile(0, nullptr, 0, false), int32_t(f.GetNxFileSize(nullptr))})
        EXPECT_EQ(NX_UNDEFINED_HANDLE, closed);
    EXPECT_EQ(NX_FAILED, f.OpenNxFile(ScratchFile("missing.bin").c_str(), 0, NX_ACCESS_READ));
    EXPECT_EQ(nullptr, f.GetNxFileHandle()) << "failed open left a handle";
}

TEST(NxFileClass, FieldsAcrossCopyCancelAndClose)
{
    Peek b;
    EXPECT_EQ("0/0/0/0/", b.Fields().substr(0, 8));
    ASSERT_EQ(NX_SUCCESS, b.OpenNxFile(ScratchFile("other.bin").c_str(), NX_CREATE_ALWAYS, kRW));
    void* replaced = b.GetNxFileHandle();
    MarkHandle(replaced);
    {
        Peek a;
        ASSERT_EQ(NX_SUCCESS, a.OpenNxFile(ScratchFile("copy.bin").c_str(), NX_CREATE_ALWAYS, kRW));
        a.Fill(195);
        b = a;
        EXPECT_EQ("195/195/195/195/195", b.Fields());
        EXPECT_NE(a.GetNxFileHandle(), b.GetNxFileHandle()) << "copy shares the original's handle";
        EXPECT_FALSE(MarkedHandleIsOpen(replaced)) << "assignment leaked the old handle";
        EXPECT_EQ(NX_SUCCESS, a.WriteNxFile("xyz", 3, nullptr));
    }
    EXPECT_EQ(3u, b.GetNxFileSize(nullptr)) << "copy lost the file with the original";
    EXPECT_EQ(NX_SUCCESS, b.CancelNxFileIO());
    EXPECT_EQ("195/195/195/0/195", b.Fields());
    b.Fill(90);
    EXPECT_EQ(NX_SUCCESS, b.CloseNxFile());
    EXPECT_EQ("90/0/0/0/90", b.Fields());
    b.m_handle = reinterpret_cast<void*>(0x00FFFFF0); // a close the system refuses
    EXPECT_EQ(NX_CLOSE_HANDLE_ERROR, b.CloseNxFile());
    EXPECT_EQ(nullptr, b.GetNxFileHandle());
}
