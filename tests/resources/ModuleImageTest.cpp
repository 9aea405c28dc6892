// The built modules as the editor finds them: their names in the export
// directory, their entry, their resources byte for byte, and imports from
// the system only. Each image is read from its file, so that the tests of
// either target check both targets' modules; only this target's modules are
// also loaded and entered.
#include "support/BuildPaths.h"
#include "support/FileBytes.h"

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

struct Module {
    std::string path;
    bool is64; // built for 64-bit Windows
    bool own;  // built for the target of this test program
};

#ifdef _WIN64
constexpr bool kOwn64 = true;
#else
constexpr bool kOwn64 = false;
#endif

// The production and the simulation module must look the same to the editor:
// this target's two, and the other target's two when that tree is built.
std::vector<Module> Modules()
{
    std::vector<Module> modules;
    const char* names[] = {"\\DeviceQuorSerial.prm", "\\sim\\DeviceQuorSerial.prm"};
    for (const char* name : names)
        modules.push_back({BinFolder() + name, kOwn64, true});
    if (!PeerBinFolder().empty())
        for (const char* name : names)
            modules.push_back({PeerBinFolder() + name, !kOwn64, false});
    return modules;
}

// A PE file as it lies on disk, of either width; no file header if it is none.
struct PeFile {
    explicit PeFile(const std::string& path)
    {
        ReadBytes(path, bytes);
        const auto* dos = At<IMAGE_DOS_HEADER>(0);
        const auto* signature = dos ? At<DWORD>(dos->e_lfanew) : nullptr;
        const size_t optional = dos ? dos->e_lfanew + 4 + sizeof(IMAGE_FILE_HEADER) : 0;
        const auto* magic = At<WORD>(optional);
        if (!signature || dos->e_magic != IMAGE_DOS_SIGNATURE || *signature != IMAGE_NT_SIGNATURE || !magic)
            return;
        file = At<IMAGE_FILE_HEADER>(dos->e_lfanew + 4);
        directories =
            optional + (*magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC ? offsetof(IMAGE_OPTIONAL_HEADER64, DataDirectory)
                                                                : offsetof(IMAGE_OPTIONAL_HEADER32, DataDirectory));
        sections = optional + file->SizeOfOptionalHeader;
    }

    template <typename T> const T* At(size_t offset) const
    {
        return offset + sizeof(T) <= bytes.size() ? reinterpret_cast<const T*>(bytes.data() + offset) : nullptr;
    }
    // What lies at a relative virtual address, or null outside every section.
    template <typename T> const T* AtRva(DWORD rva) const
    {
        for (WORD i = 0; i < file->NumberOfSections; ++i) {
            const auto* s = At<IMAGE_SECTION_HEADER>(sections + i * sizeof(IMAGE_SECTION_HEADER));
            if (s && rva >= s->VirtualAddress && rva < s->VirtualAddress + s->SizeOfRawData)
                return At<T>(s->PointerToRawData + (rva - s->VirtualAddress));
        }
        return nullptr;
    }
    template <typename T> const T* Directory(int which) const
    {
        const auto* d = At<IMAGE_DATA_DIRECTORY>(directories + which * sizeof(IMAGE_DATA_DIRECTORY));
        return d ? AtRva<T>(d->VirtualAddress) : nullptr;
    }
    std::string TextAtRva(DWORD rva) const
    {
        const char* text = AtRva<char>(rva);
        return text ? std::string(text,
                                  strnlen(text, bytes.data() + bytes.size() - reinterpret_cast<const uint8_t*>(text)))
                    : "<outside the image>";
    }

    std::vector<uint8_t> bytes;
    const IMAGE_FILE_HEADER* file = nullptr;
    size_t directories = 0, sections = 0;
};

class ModuleImageTest : public ::testing::TestWithParam<Module> {
protected:
    HMODULE data = nullptr; // the file mapped for its resources, never run

    void SetUp() override
    {
        data = LoadLibraryExA(GetParam().path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(nullptr, data) << "cannot read " << GetParam().path << ", error " << GetLastError();
    }
    void TearDown() override
    {
        if (data)
            FreeLibrary(data);
    }

    std::vector<uint8_t> Resource(const char* type, int id)
    {
        HRSRC info = FindResourceExA(data, type, MAKEINTRESOURCEA(id), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
        if (!info)
            return {};
        const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(data, info)));
        return std::vector<uint8_t>(bytes, bytes + SizeofResource(data, info));
    }
};

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A four-character code lies in the file as a little-endian number.
uint32_t Code(const char (&c)[5])
{
    return uint32_t(uint8_t(c[0])) << 24 | uint8_t(c[1]) << 16 | uint8_t(c[2]) << 8 | uint8_t(c[3]);
}

void PutProperty(std::vector<uint8_t>& out, const char (&key)[5], const std::vector<uint8_t>& data)
{
    for (uint32_t v : {Code("8BIM"), Code(key), 0u, uint32_t(data.size())})
        Put32(out, v);
    out.insert(out.end(), data.begin(), data.end());
    out.insert(out.end(), (4 - data.size() % 4) % 4, 0);
}

TEST_P(ModuleImageTest, PropertyListAndDisplayNameAreExact)
{
    const std::string name = "Veltrix Serial Control";
    std::vector<uint8_t> pascalName = {static_cast<uint8_t>(name.size())};
    pascalName.insert(pascalName.end(), name.begin(), name.end());
    pascalName.push_back(0);

    std::vector<uint8_t> kind, server;
    Put32(kind, Code("DevC"));
    Put32(server, 3);

    // The same list on both targets, but for the entry a 64-bit editor needs.
    std::vector<uint8_t> expected = {1, 0, 0, 0, 0, 0, uint8_t(GetParam().is64 ? 7 : 6), 0, 0, 0};
    PutProperty(expected, "kind", kind);
    PutProperty(expected, "name", pascalName);
    PutProperty(expected, "eMNA", pascalName);
    PutProperty(expected, "ePVR", {0x02, 0x00, 0x01, 0x00});
    PutProperty(expected, "eSVR", server);
    PutProperty(expected, "eVER", {0x00, 0x00, 0x30, 0x00});
    if (GetParam().is64)
        PutProperty(expected, "8664", {'x', 'D', 'e', 'v', 'i', 'c', 'e', 0});
    EXPECT_EQ(expected, Resource("PIPL", 16000));

    std::vector<uint8_t> text = {0, 0};
    text.insert(text.end(), name.begin(), name.end());
    text.push_back(0);
    EXPECT_EQ(text, Resource("TEXT", 1000));

    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(GetParam().path.c_str(), &ignored);
    ASSERT_NE(0u, size);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(GetParam().path.c_str(), 0, size, block.data()));
    char* product = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904E4\\ProductName",
                               reinterpret_cast<void**>(&product), &length));
    EXPECT_STREQ("Veltrix Serial Control", product);
}

TEST_P(ModuleImageTest, ExportsUnderItsOwnNameAndImportsOnlyTheSystem)
{
    const PeFile image(GetParam().path);
    ASSERT_NE(nullptr, image.file) << GetParam().path << " is no PE image";
    EXPECT_EQ(GetParam().is64 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386, image.file->Machine);
    EXPECT_TRUE(image.file->Characteristics & IMAGE_FILE_DLL);

    const auto* directory = image.Directory<IMAGE_EXPORT_DIRECTORY>(IMAGE_DIRECTORY_ENTRY_EXPORT);
    ASSERT_NE(nullptr, directory);
    EXPECT_EQ("DeviceQuorSerial.prm", image.TextAtRva(directory->Name));
    std::set<std::string> names;
    const DWORD* nameRvas = image.AtRva<DWORD>(directory->AddressOfNames);
    ASSERT_NE(nullptr, nameRvas);
    for (DWORD i = 0; i < directory->NumberOfNames; ++i)
        names.insert(image.TextAtRva(nameRvas[i]));
    EXPECT_TRUE(names.count("xDevice")) << "xDevice undecorated";
    for (const char* prefix :
         {"_Z9NxSwapUI4", "_Z17NxCreateSemaphore", "_ZN6NxFile10OpenNxFile", "_ZN6NxFile11CloseNxFile"}) {
        const bool found = std::any_of(names.begin(), names.end(), [&](const std::string& n) {
            return n.compare(0, std::strlen(prefix), prefix) == 0;
        });
        EXPECT_TRUE(found) << "no export starting " << prefix;
    }

    const std::set<std::string> system = {"kernel32.dll", "user32.dll",   "gdi32.dll", "setupapi.dll",
                                          "shell32.dll",  "advapi32.dll", "msvcrt.dll"};
    const auto* entry = image.Directory<IMAGE_IMPORT_DESCRIPTOR>(IMAGE_DIRECTORY_ENTRY_IMPORT);
    ASSERT_NE(nullptr, entry);
    for (; entry->Name; ++entry) {
        std::string dll = image.TextAtRva(entry->Name);
        std::transform(dll.begin(), dll.end(), dll.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        EXPECT_TRUE(system.count(dll)) << "imports " << dll;
    }

    // Entering it needs a process of its own width.
    if (GetParam().own) {
        HMODULE module = LoadLibraryA(GetParam().path.c_str());
        ASSERT_NE(nullptr, module) << "cannot load " << GetParam().path;
        EXPECT_NE(nullptr, GetProcAddress(module, "xDevice"));
        FreeLibrary(module);
    }
}

std::string ModuleName(const ::testing::TestParamInfo<Module>& info)
{
    return std::string(info.param.is64 ? "x64" : "x86") +
           (info.param.path.find("\\sim\\") != std::string::npos ? "_simulation" : "_production");
}

INSTANTIATE_TEST_SUITE_P(Modules, ModuleImageTest, ::testing::ValuesIn(Modules()), ModuleName);

} // namespace
