#pragma once
// A file held by one object: the layout is fixed because other modules of the
// family derive from it and use the user area.
#include "platform/NxPlatform.h"

class NX_API NxFile {
public:
    NxFile();
    // Each copy owns its own handle to the same open file (shared file
    // pointer), so the two destructors never close one handle twice.
    NxFile(const NxFile& other);
    NxFile& operator=(const NxFile& other);
    ~NxFile();

    NxErr OpenNxFile(const char* path, uint32_t creation, uint32_t access);
    NxErr OpenNxFile(const wchar_t* path, uint32_t creation, uint32_t access);
    NxErr ReadNxFile(void* buffer, uint32_t count, NxOverlapped* overlapped);
    NxErr WriteNxFile(const void* buffer, uint32_t count, NxOverlapped* overlapped);
    // Moves by count * size + offset.
    NxErr SeekNxFile(int32_t offset, uint32_t count, uint32_t size, uint32_t origin);
    // Returns the new low position (high word through high when given),
    // NX_FAILED or NX_UNDEFINED_HANDLE. Extended moves by low sign-extended.
    int32_t SeekNxFile(int32_t low, int32_t* high, uint32_t origin, bool extended);
    NxErr CloseNxFile();
    NxErr IsNxFileIOComplete(int32_t unused);
    NxErr CancelNxFileIO();
    void* GetNxFileHandle();
    // The low 32 bits of the size, or NX_UNDEFINED_HANDLE without a file.
    uint32_t GetNxFileSize(uint32_t* high);

protected:
    void* m_handle; // null when closed
    uint8_t m_flag;
    uint32_t m_word1; // the three words are zeroed on construction and close
    uint32_t m_word2;
    uint32_t m_ioState;      // cleared by CancelNxFileIO
    uint8_t m_userArea[400]; // never touched by the members, copied by assignment
};
