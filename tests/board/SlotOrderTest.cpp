// The virtual operations keep their slots: classes derived elsewhere (the
// deck controller) depend on the order.
#include "board/CBrixBoard.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

// A pointer to a virtual member holds 1 + its byte offset in the table. The
// virtual destructor takes two entries and counts as slot 0.
template <typename Member>
int SlotOf(Member member)
{
    struct Representation {
        uintptr_t pointer;
        ptrdiff_t adjustment;
    } representation;
    static_assert(sizeof(Member) == sizeof(Representation), "member pointer layout");
    std::memcpy(&representation, &member, sizeof representation);
    if ((representation.pointer & 1) == 0)
        return -1;  // not virtual
    return static_cast<int>((representation.pointer - 1) / sizeof(void*)) - 1;
}

using D = CBrixDriverInterface;

TEST(SlotOrder, DriverInterfaceOperationsHoldTheirSlots)
{
    EXPECT_EQ(1, SlotOf(&D::Open));
    EXPECT_EQ(2, SlotOf(&D::SetShareMode));
    EXPECT_EQ(3, SlotOf(&D::Close));
    EXPECT_EQ(4, SlotOf(&D::WriteRegister));
    EXPECT_EQ(5, SlotOf(&D::ReadRegister));
    EXPECT_EQ(6, SlotOf(&D::ReservedSlot6));
    EXPECT_EQ(7, SlotOf(&D::ReservedSlot7));
    EXPECT_EQ(8, SlotOf(&D::DmaTransfer));
    EXPECT_EQ(9, SlotOf(&D::DmaUnlockAll));
    EXPECT_EQ(10, SlotOf(&D::DmaUnlock));
    EXPECT_EQ(11, SlotOf(&D::DmaLock));
    EXPECT_EQ(12, SlotOf(&D::ConfigureInterrupt));
    EXPECT_EQ(13, SlotOf(&D::MapFrameBuffers));
    EXPECT_EQ(14, SlotOf(&D::UnmapFrameBuffers));
    EXPECT_EQ(15, SlotOf(&D::MapRegisters));
    EXPECT_EQ(16, SlotOf(&D::UnmapRegisters));
    EXPECT_EQ(17, SlotOf(&D::MapMemoryKind2));
    EXPECT_EQ(18, SlotOf(&D::UnmapMemoryKind2));
    EXPECT_EQ(19, SlotOf(&D::ConfigureSubscription));
    EXPECT_EQ(20, SlotOf(&D::getInterruptCount));
    EXPECT_EQ(21, SlotOf(&D::WaitForInterrupt));
    EXPECT_EQ(22, SlotOf(&D::AutoCirculate));
    EXPECT_EQ(23, SlotOf(&D::ReservedSlot23));
    EXPECT_EQ(24, SlotOf(&D::GetDriverFlags));
    EXPECT_EQ(25, SlotOf(&D::SleepMs));
    EXPECT_EQ(26, SlotOf(&D::DriverGetBitFileInformation));
    EXPECT_EQ(27, SlotOf(&D::ReservedSlot27));
    EXPECT_EQ(28, SlotOf(&D::DisplayError));
    EXPECT_EQ(29, SlotOf(&D::OpenRemote));
    EXPECT_EQ(30, SlotOf(&D::CloseRemote));
}

TEST(SlotOrder, BoardAddsFiveOperationsAfterThem)
{
    EXPECT_EQ(31, SlotOf(&CBrixBoard::OpenBoard));
    EXPECT_EQ(32, SlotOf(&CBrixBoard::SwitchBitfileForFormat));
    EXPECT_EQ(33, SlotOf(&CBrixBoard::BitfileForFormat));
    EXPECT_EQ(34, SlotOf(&CBrixBoard::CompareFormats));
    EXPECT_EQ(35, SlotOf(&CBrixBoard::GetFormatLines));
    // Overrides in the Windows class keep the base's slots.
    EXPECT_EQ(1, SlotOf(&CBrixBoard::Open));
    EXPECT_EQ(28, SlotOf(&CBrixBoard::DisplayError));
}

}  // namespace
