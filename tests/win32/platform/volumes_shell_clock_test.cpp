// Volumes, shell settings, clock, resources and the message pump of the real
// machine under Wine (C: is partition 1 of disk 0; Z: is the host's root).
#include <gtest/gtest.h>

#include "tests/win32/platform/machine_support.h"

namespace lum::win32::test {
namespace {

class MachineTest : public ::testing::Test {
 protected:
  Win32Machine machine;
  Platform p = machine.platform();
};

TEST_F(MachineTest, SystemDriveIsAFixedFirstPartition) {
  EXPECT_EQ(p.volumes.DriveType("C:\\"), kDriveFixed);
  for (char letter : {'C', 'c'}) {  // the device path is upper-cased
    std::optional<StorageDeviceNumber> n = p.volumes.DeviceNumber(letter);
    ASSERT_TRUE(n) << letter;
    EXPECT_EQ(n->deviceType, 7u);  // FILE_DEVICE_DISK
    EXPECT_EQ(n->deviceNumber, 0u);
    EXPECT_EQ(n->partitionNumber, 1u);
  }
  EXPECT_NE(p.volumes.BusType('C'), std::optional<int>(kBusTypeUsb));
  std::uint32_t drives = p.volumes.LogicalDrives();
  EXPECT_TRUE(drives & (1u << ('C' - 'A')));
  EXPECT_TRUE(drives & (1u << ('Z' - 'A')));
  std::optional<DiskSpace> space = p.volumes.FreeSpace("C:\\");
  ASSERT_TRUE(space);
  EXPECT_GT(space->total, 0u);
  EXPECT_LE(space->totalFree, space->total);
  std::optional<VolumeInformation> info = p.volumes.Information("C:\\");
  ASSERT_TRUE(info);
  EXPECT_EQ(info->fileSystem, "NTFS");
  EXPECT_FALSE(p.volumes.DosDeviceTarget("C:").empty());
}

TEST_F(MachineTest, HostRootAndMissingLetters) {
  EXPECT_FALSE(p.volumes.DeviceNumber('Z'));  // the host's root is no disk partition
  std::uint32_t drives = p.volumes.LogicalDrives();
  char missing = 0;
  for (char c = 'Y'; c > 'C'; --c) {
    if (!(drives & (1u << (c - 'A')))) {
      missing = c;
      break;
    }
  }
  ASSERT_NE(missing, 0);
  std::string root = std::string(1, missing) + ":\\";
  EXPECT_EQ(p.volumes.DriveType(root), kDriveNoRootDir);
  EXPECT_FALSE(p.volumes.FreeSpace(root));
  EXPECT_NE(p.system.LastError(), 0u);  // kept across restoring the error mode
  EXPECT_FALSE(p.volumes.DeviceNumber(missing));
  EXPECT_FALSE(p.volumes.BusType(missing));
  EXPECT_FALSE(p.volumes.Information(root));
  EXPECT_EQ(p.volumes.DosDeviceTarget(std::string(1, missing) + ":"), "");
}

TEST_F(MachineTest, FreeSpaceLeavesTheErrorModeAsItWas) {
  UINT before = ::SetErrorMode(SEM_NOOPENFILEERRORBOX);
  p.volumes.FreeSpace("C:\\");
  EXPECT_EQ(::SetErrorMode(before), static_cast<UINT>(SEM_NOOPENFILEERRORBOX));
}

TEST_F(MachineTest, DosDeviceDefinitionRoundTrip) {
  // Wine keeps definitions of drive letters only. A letter from the middle of
  // the alphabet, defined for a moment, stays out of the way of the
  // free-letter search of other tests (it goes from Z down).
  std::uint32_t drives = p.volumes.LogicalDrives();
  char letter = 'M';
  while (letter > 'E' && (drives & (1u << (letter - 'A')))) --letter;
  ASSERT_GT(letter, 'E');
  const std::string name = std::string(1, letter) + ":";
  ASSERT_TRUE(p.volumes.DefineDevice(DDD_RAW_TARGET_PATH, name, "\\Device\\Null"));
  EXPECT_EQ(p.volumes.DosDeviceTarget(name), "\\Device\\Null");
  EXPECT_TRUE(p.volumes.DefineDevice(DDD_RAW_TARGET_PATH | DDD_REMOVE_DEFINITION |
                                            DDD_EXACT_MATCH_ON_REMOVE,
                                        name, "\\Device\\Null"));
  EXPECT_EQ(p.volumes.DosDeviceTarget(name), "");
}

TEST_F(MachineTest, ScreenSaverSwitchedOff) {
  BOOL before = FALSE;
  ::SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &before, 0);
  p.shell.DisableScreenSaver();
  BOOL active = TRUE;
  ASSERT_TRUE(::SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &active, 0));
  EXPECT_FALSE(active);
  ::SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, before, nullptr, 0);
  p.shell.SetExecutionState(ES_CONTINUOUS);  // accepted; nothing to observe
}

TEST_F(MachineTest, ClockAgreesWithTheSystem) {
  SYSTEMTIME st;
  ::GetLocalTime(&st);
  LocalTime t = p.clock.Now();
  EXPECT_EQ(t.year, st.wYear);
  EXPECT_EQ(t.month, st.wMonth);
  EXPECT_GE(t.month, 1);
  EXPECT_LE(t.hour, 23);
  EXPECT_EQ(p.clock.TimeSeparator(), ":");
  std::uint64_t a = p.clock.TickMs();
  p.clock.Sleep(60);
  std::uint64_t b = p.clock.TickMs();
  EXPECT_GE(b - a, 40u);
  EXPECT_LT(b - a, 5000u);
}

TEST_F(MachineTest, OwnResourcesByNameIgnoringCase) {
  const std::string expected = "resource bytes\r\n\x01\x02\xff";
  for (auto [type, name] : {std::pair{"TXT", "LUMTEST"}, std::pair{"txt", "LumTest"}}) {
    std::optional<Bytes> data = p.resources.Find(type, name);
    ASSERT_TRUE(data) << type << "/" << name;
    EXPECT_EQ(std::string(data->begin(), data->end()), expected);
  }
  EXPECT_FALSE(p.resources.Find("TXT", "NOSUCH"));
  EXPECT_EQ(p.system.LastError(), err::ResourceNameNotFound);
  EXPECT_FALSE(p.resources.Find("NOTYPE", "LUMTEST"));
  EXPECT_EQ(p.system.LastError(), err::ResourceTypeNotFound);
}

struct PumpProbe {
  int seen = 0;
};

LRESULT CALLBACK ProbeProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_APP + 1) {
    auto* probe = reinterpret_cast<PumpProbe*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (probe) ++probe->seen;
    return 0;
  }
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

TEST_F(MachineTest, PumpDispatchesPendingMessagesAndKeepsTheQuitRequest) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = ProbeProc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = L"LumoraPumpProbe";
  ::RegisterClassW(&wc);
  HWND hwnd = ::CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr,
                                nullptr, wc.hInstance, nullptr);
  ASSERT_NE(hwnd, nullptr);
  PumpProbe probe;
  ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&probe));

  ::PostMessageW(hwnd, WM_APP + 1, 0, 0);
  ::PostMessageW(hwnd, WM_APP + 1, 0, 0);
  p.pump.Pump();
  EXPECT_EQ(probe.seen, 2);

  // A quit request met while pumping stays for the main loop.
  ::PostQuitMessage(5);
  p.pump.Pump();
  MSG msg;
  ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 5u);
  ::DestroyWindow(hwnd);
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {}
}

}  // namespace
}  // namespace lum::win32::test
