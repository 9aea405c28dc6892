#include <gtest/gtest.h>

#include <cstring>

#include "platform/NxPlatform.h"
#include "tests/platform/Scratch.h"

TEST(NxMemory, NewCommitsZeroedPagesAndFreeReleasesThem)
{
    uint8_t* p = static_cast<uint8_t*>(NxNew(10000));
    ASSERT_NE(nullptr, p);
    EXPECT_EQ(0, p[0] | p[9999]);
    std::memset(p, 0xAB, 10000);
    EXPECT_EQ(NX_SUCCESS, NxFree(p, 10000));
    MEMORY_BASIC_INFORMATION info = {};
    VirtualQuery(p, &info, sizeof info);
    EXPECT_EQ(static_cast<DWORD>(MEM_FREE), info.State) << "region not released";
    EXPECT_EQ(NX_FAILED, NxFree(nullptr, 0));
}

TEST(NxByteOrder, SwapsOnlyWhenAsked)
{
    EXPECT_EQ(0x44332211u, NxSwapUI4(0x11223344u, true));
    EXPECT_EQ(0x11223344u, NxSwapUI4(0x11223344u, false));
    EXPECT_EQ(0x2211, NxSwapUI2(0x1122, true));
    EXPECT_EQ(0x1122, NxSwapUI2(0x1122, false));
    EXPECT_EQ(1.5f, NxSwapF4(NxSwapF4(1.5f, true), true));
    uint32_t bits = 0x01A0807Fu; // swaps into a signalling NaN, which must keep every bit
    float f;
    std::memcpy(&f, &bits, sizeof f);
    NxSwapF4(&f, true);
    std::memcpy(&bits, &f, sizeof f);
    EXPECT_EQ(0x7F80A001u, bits);
}

TEST(NxLibraries, LoadLookUpFreeAndModuleName)
{
    void* k = NxLoadLibrary(L"kernel32.dll");
    EXPECT_EQ(reinterpret_cast<void*>(&GetTickCount), NxGetProcAddress(k, "GetTickCount"));
    EXPECT_EQ(NX_SUCCESS, NxFreeLibrary(k));
    EXPECT_EQ(NX_FAILED, NxFreeLibrary(nullptr)) << "failure reported as success";

    char name[MAX_PATH];
    ASSERT_EQ(NX_SUCCESS, NxGetModuleFileName(nullptr, name, MAX_PATH));
    EXPECT_NE(nullptr, std::strstr(name, "test_platform.exe")) << name;
    char small[6] = "xxxxx";
    EXPECT_EQ(NX_FAILED, NxGetModuleFileName(nullptr, small, sizeof small));
    EXPECT_STREQ("", small) << "truncated name handed out";
}

TEST(NxDirectories, CreateRemoveFreeSpaceAndStubs)
{
    const std::string dir = ScratchFile("dir");
    const std::wstring wdir(dir.begin(), dir.end());
    EXPECT_EQ(NX_SUCCESS, NxCreateDir(dir.c_str()));
    EXPECT_EQ(NX_FAILED, NxCreateDir(wdir.c_str())) << "created twice";
    _NxLargeInteger total = {}, totalFree = {};
    EXPECT_EQ(NX_SUCCESS, NxGetDiskFreeSpace(wdir.c_str(), nullptr, &total, &totalFree));
    EXPECT_LE(totalFree.QuadPart, total.QuadPart);
    EXPECT_EQ(NX_SUCCESS, NxRemoveDir(wdir.c_str()));
    EXPECT_EQ(NX_FAILED, NxRemoveDir(dir.c_str()));

    EXPECT_EQ(nullptr, NxOpenDir(L"C:\\"));
    EXPECT_EQ(NX_NOT_PROVIDED, NxReadDir(nullptr));
}
