// The built module as the editor finds it: its name in the export
// directory, its entry, its resources byte for byte, and imports from the
// system only.
#include "support/BuildPaths.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

// Both modules, the production one and the simulation one, must look the
// same to the editor.
class ModuleImageTest : public ::testing::TestWithParam<const char*> {
protected:
    HMODULE module = nullptr;

    void SetUp() override
    {
        const std::string path = BinFolder() + GetParam();
        module = LoadLibraryA(path.c_str());
        ASSERT_NE(nullptr, module) << "cannot load " << path;
    }
    void TearDown() override
    {
        if (module)
            FreeLibrary(module);
    }

    std::vector<uint8_t> Resource(const char* type, int id)
    {
        HRSRC info = FindResourceExA(module, type, MAKEINTRESOURCEA(id),
                                     MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
        if (!info)
            return {};
        HGLOBAL loaded = LoadResource(module, info);
        const auto* data = static_cast<const uint8_t*>(LockResource(loaded));
        return std::vector<uint8_t>(data, data + SizeofResource(module, info));
    }

    const IMAGE_NT_HEADERS32* Headers() const
    {
        const auto* base = reinterpret_cast<const uint8_t*>(module);
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
        return reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
    }

    template <typename T>
    const T* At(DWORD rva) const
    {
        return reinterpret_cast<const T*>(reinterpret_cast<const uint8_t*>(module) + rva);
    }
};


void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A four-character code lies in the file as a little-endian number.
void PutCode(std::vector<uint8_t>& out, const char (&code)[5])
{
    Put32(out, (uint32_t(uint8_t(code[0])) << 24) | (uint32_t(uint8_t(code[1])) << 16) |
                   (uint32_t(uint8_t(code[2])) << 8) | uint8_t(code[3]));
}

void PutProperty(std::vector<uint8_t>& out, const char (&key)[5], const std::vector<uint8_t>& data)
{
    PutCode(out, "8BIM");
    PutCode(out, key);
    Put32(out, 0);
    Put32(out, static_cast<uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    out.insert(out.end(), (4 - data.size() % 4) % 4, 0);
}

TEST_P(ModuleImageTest, PropertyListAndDisplayNameAreExact)
{
    const std::string name = "Veltrix Serial Control";
    std::vector<uint8_t> pascalName = {static_cast<uint8_t>(name.size())};
    pascalName.insert(pascalName.end(), name.begin(), name.end());
    pascalName.push_back(0);

    std::vector<uint8_t> kind;
    PutCode(kind, "DevC");
    std::vector<uint8_t> server;
    Put32(server, 3);

    std::vector<uint8_t> expected = {1, 0};
    Put32(expected, 0);
    Put32(expected, 6);
    PutProperty(expected, "kind", kind);
    PutProperty(expected, "name", pascalName);
    PutProperty(expected, "eMNA", pascalName);
    PutProperty(expected, "ePVR", {0x02, 0x00, 0x01, 0x00});
    PutProperty(expected, "eSVR", server);
    PutProperty(expected, "eVER", {0x00, 0x00, 0x30, 0x00});
    EXPECT_EQ(expected, Resource("PIPL", 16000));
    const std::vector<uint8_t> pipl = Resource("PIPL", 16000);
    ASSERT_GE(pipl.size(), 14u);
    EXPECT_EQ(0, std::memcmp(pipl.data() + 10, "MIB8", 4)) << "vendor stored reversed";

    std::vector<uint8_t> text = {0, 0};
    text.insert(text.end(), name.begin(), name.end());
    text.push_back(0);
    EXPECT_EQ(text, Resource("TEXT", 1000));
}

TEST_P(ModuleImageTest, VersionBlockNamesTheProduct)
{
    char path[MAX_PATH];
    ASSERT_NE(0u, GetModuleFileNameA(module, path, sizeof path));
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    ASSERT_NE(0u, size);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, block.data()));
    char* product = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904E4\\ProductName",
                               reinterpret_cast<void**>(&product), &length));
    EXPECT_STREQ("Veltrix Serial Control", product);
}

TEST_P(ModuleImageTest, CarriesItsDialogTemplates)
{
    for (int id : {131, 133, 134}) {
        std::vector<uint8_t> dialog = Resource(reinterpret_cast<const char*>(RT_DIALOG), id);
        ASSERT_GE(dialog.size(), 26u) << "dialog " << id;
        // An extended template: version 1, signature 0xFFFF.
        EXPECT_EQ(1, dialog[0] | dialog[1] << 8) << "dialog " << id;
        EXPECT_EQ(0xFFFF, dialog[2] | dialog[3] << 8) << "dialog " << id;
    }
}

TEST_P(ModuleImageTest, ExportsUnderItsOwnNameAndImportsOnlyTheSystem)
{
    const IMAGE_NT_HEADERS32* nt = Headers();
    EXPECT_EQ(IMAGE_FILE_MACHINE_I386, nt->FileHeader.Machine);
    EXPECT_TRUE(nt->FileHeader.Characteristics & IMAGE_FILE_DLL);

    const IMAGE_DATA_DIRECTORY& exports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    ASSERT_NE(0u, exports.VirtualAddress);
    const auto* directory = At<IMAGE_EXPORT_DIRECTORY>(exports.VirtualAddress);
    EXPECT_STREQ("DeviceQuorSerial.prm", At<char>(directory->Name));

    std::set<std::string> names;
    const DWORD* nameRvas = At<DWORD>(directory->AddressOfNames);
    for (DWORD i = 0; i < directory->NumberOfNames; ++i)
        names.insert(At<char>(nameRvas[i]));
    EXPECT_TRUE(names.count("xDevice")) << "xDevice undecorated";
    EXPECT_NE(nullptr, GetProcAddress(module, "xDevice"));
    for (const char* prefix : {"_Z9NxSwapUI4", "_Z17NxCreateSemaphore", "_ZN6NxFile10OpenNxFile",
                               "_ZN6NxFile11CloseNxFile"}) {
        const bool found = std::any_of(names.begin(), names.end(), [&](const std::string& n) {
            return n.compare(0, std::strlen(prefix), prefix) == 0;
        });
        EXPECT_TRUE(found) << "no export starting " << prefix;
    }

    const std::set<std::string> system = {"kernel32.dll", "user32.dll", "gdi32.dll",
                                          "setupapi.dll", "shell32.dll", "advapi32.dll",
                                          "msvcrt.dll"};
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    ASSERT_NE(0u, imports.VirtualAddress);
    for (const auto* entry = At<IMAGE_IMPORT_DESCRIPTOR>(imports.VirtualAddress); entry->Name; ++entry) {
        std::string dll = At<char>(entry->Name);
        std::transform(dll.begin(), dll.end(), dll.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        EXPECT_TRUE(system.count(dll)) << "imports " << dll;
    }
}

INSTANTIATE_TEST_SUITE_P(Modules, ModuleImageTest,
                         ::testing::Values("\\DeviceQuorSerial.prm",
                                           "\\sim\\DeviceQuorSerial.prm"));

} // namespace
