#include "RackClient.h"

using namespace simtest;

namespace {

constexpr DWORD kPresentInterfaces = DIGCF_PRESENT | DIGCF_DEVICEINTERFACE;

SP_DEVICE_INTERFACE_DATA InterfaceData()
{
    SP_DEVICE_INTERFACE_DATA data = {};
    data.cbSize = kInterfaceDataSize;
    return data;
}

// The sizes a caller built for the other target would give.
constexpr DWORD kOtherInterfaceDataSize = kInterfaceDataSize == 28 ? 32 : 28;
constexpr DWORD kOtherDetailHeaderSize = kDetailHeaderSize == 5 ? 8 : 5;

class Enumeration : public RackTest {};

}  // namespace

TEST_F(Enumeration, TypeWithoutBoardsGivesAValidEmptySet)
{
    Use("type=4");
    HDEVINFO set = Api().getClassDevs(BoardTypeGuid(2), nullptr, nullptr, kPresentInterfaces);
    ASSERT_NE(INVALID_HANDLE_VALUE, set);
    EXPECT_EQ(1, rack.LiveInfoSets());
    SP_DEVICE_INTERFACE_DATA data = InterfaceData();
    EXPECT_FALSE(Api().enumDeviceInterfaces(set, nullptr, BoardTypeGuid(2), 0, &data));
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, GetLastError());
    EXPECT_TRUE(Api().destroyDeviceInfoList(set));
    EXPECT_FALSE(Api().destroyDeviceInfoList(set)) << "destroyed twice";
    EXPECT_EQ(ERROR_INVALID_HANDLE, GetLastError());
    EXPECT_EQ(0, rack.LiveInfoSets());
}

TEST_F(Enumeration, InterfacesAndDetailFollowTheSystemProtocol)
{
    Use("type=4 id=1; type=2 id=2; type=4 id=3");
    const GUID* guid = BoardTypeGuid(4);
    HDEVINFO set = Api().getClassDevs(guid, nullptr, nullptr, kPresentInterfaces);
    ASSERT_NE(INVALID_HANDLE_VALUE, set);

    SP_DEVICE_INTERFACE_DATA data = InterfaceData();
    data.cbSize = kOtherInterfaceDataSize;
    EXPECT_FALSE(Api().enumDeviceInterfaces(set, nullptr, guid, 0, &data));
    EXPECT_EQ(ERROR_INVALID_USER_BUFFER, GetLastError());
    data = InterfaceData();
    EXPECT_FALSE(Api().enumDeviceInterfaces(set, nullptr, guid, 2, &data)) << "only two boards of type 4";
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, GetLastError());
    ASSERT_TRUE(Api().enumDeviceInterfaces(set, nullptr, guid, 1, &data));
    EXPECT_TRUE(IsEqualGUID(*guid, data.InterfaceClassGuid));
    EXPECT_EQ(static_cast<DWORD>(SPINT_ACTIVE), data.Flags);

    // First call: no buffer, asks for the size.
    DWORD required = 0;
    EXPECT_FALSE(Api().getDeviceInterfaceDetail(set, &data, nullptr, 0, &required, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    const std::string expected = rack.DevicePath(2);
    ASSERT_EQ(4 + expected.size() + 1, required);
    EXPECT_FALSE(Api().getDeviceInterfaceDetail(set, &data, nullptr, required, nullptr, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_USER_BUFFER), GetLastError()) << "no buffer, yet a size";

    std::vector<char> buffer(required + 8, '\x7f');
    auto* detail = reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_A>(buffer.data());
    detail->cbSize = kOtherDetailHeaderSize;
    EXPECT_FALSE(Api().getDeviceInterfaceDetail(set, &data, detail, required, &required, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_USER_BUFFER), GetLastError());
    detail->cbSize = kDetailHeaderSize;
    EXPECT_FALSE(Api().getDeviceInterfaceDetail(set, &data, detail, required - 1, &required, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ('\x7f', buffer[required - 1]) << "wrote into a buffer it called too small";
    ASSERT_TRUE(Api().getDeviceInterfaceDetail(set, &data, detail, required, &required, nullptr));
    EXPECT_EQ(expected, detail->DevicePath);
    EXPECT_EQ('\x7f', buffer[required]) << "wrote past the size given";
    EXPECT_TRUE(Api().destroyDeviceInfoList(set));

    // The second type-4 board is the one configured third.
    HANDLE h = Open(expected, 3);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    Bytes r = Record(4, kPropertyRegister, kFlagGet, 40, {{24, kRegisterBoardId}, {32, 0xFFFFFFFF}});
    DWORD got = 0;
    EXPECT_TRUE(Api().deviceIoControl(h, kBoardRequestCode, r.data(), 40, r.data(), 40, &got, nullptr));
    EXPECT_EQ(3u, WordAt(r, 28));
    EXPECT_EQ(40u, got);
    EXPECT_TRUE(Api().closeHandle(h));
}

TEST_F(Enumeration, DeviceHandlesAreSharedAsADriverWould)
{
    Use("type=4; type=8");
    const auto open = [&](DWORD share) { return Open(rack.DevicePath(0), share); };
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open("\\\\?\\quorsim#type4#5#{x}", 3));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());

    HANDLE a = open(3), b = open(3);
    ASSERT_NE(INVALID_HANDLE_VALUE, a);
    ASSERT_NE(INVALID_HANDLE_VALUE, b);
    EXPECT_NE(a, b);
    EXPECT_EQ(INVALID_HANDLE_VALUE, open(0)) << "exclusive open while shared opens are held";
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
    Board other(1, 0);  // another board is not affected
    EXPECT_TRUE(Api().closeHandle(a));
    EXPECT_TRUE(Api().closeHandle(b));
    EXPECT_FALSE(Api().closeHandle(b));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());

    HANDLE x = open(0);
    ASSERT_NE(INVALID_HANDLE_VALUE, x);
    EXPECT_EQ(INVALID_HANDLE_VALUE, open(3)) << "shared open while an exclusive one is held";
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
    EXPECT_TRUE(Api().closeHandle(x));
    other.Close();
    EXPECT_EQ(0, rack.LiveDeviceHandles());
    EXPECT_TRUE(Eventually([&] { return !rack.ServiceRunning(); })) << "service thread outlived the handles";
}

TEST_F(Enumeration, ReconfiguringLeavesOldHandlesAndSetsEmpty)
{
    Use("type=4");
    HDEVINFO set = Api().getClassDevs(BoardTypeGuid(4), nullptr, nullptr, kPresentInterfaces);
    Board board(0);
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    EXPECT_TRUE(board.Subscribe(true, 14, event));
    EXPECT_EQ(1, rack.LiveSubscriptions());

    Use("type=4");
    EXPECT_EQ(0, rack.LiveSubscriptions()) << "the driver kept events of a board that is gone";
    uint32_t v;
    EXPECT_FALSE(board.Read(kRegisterBoardId, &v));
    EXPECT_EQ(static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED), GetLastError());
    SP_DEVICE_INTERFACE_DATA data = InterfaceData();
    EXPECT_FALSE(Api().enumDeviceInterfaces(set, nullptr, BoardTypeGuid(4), 0, &data));
    EXPECT_TRUE(Api().destroyDeviceInfoList(set));
    board.Close();
    EXPECT_EQ(0, rack.LiveDeviceHandles());
    CloseHandle(event);
}
