// The download poll's wait once the end of the program is pending: the
// message pump leaves WM_QUIT in the queue for the main message loop, so the
// queue is never empty again, and the wait must still wait instead of
// returning at once on every call (a busy loop until the download notices).
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "download/pump_wait.h"
#include "download/win32/message_wait.h"
#include "platform/win32/win32_machine.h"

namespace {

// The program's wait, with its calls counted.
class CountingWait : public lum::IMessageWait {
 public:
  void WaitForMessage(std::uint32_t ms) override {
    ++calls;
    real.WaitForMessage(ms);
  }
  lum::win32::Win32MessageWait real;
  std::atomic<int> calls{0};
};

// A window on the waiting thread that notes at which wait call it was
// answered.
CountingWait* waitOfTarget = nullptr;
std::atomic<int> handledAtCall{-1};
LRESULT CALLBACK TargetProc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_APP + 1) {
    handledAtCall = waitOfTarget->calls.load();
    return 42;
  }
  return DefWindowProcW(h, m, wp, lp);
}

class QuitPendingWait : public ::testing::Test {
 protected:
  void SetUp() override { PostQuitMessage(0); }
  void TearDown() override {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }
  static bool QuitStillPending() {
    MSG msg;
    return PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
  }
  static std::uint64_t ThreadCpuMs() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto ms = [](FILETIME t) {
      return ((std::uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000;
    };
    return ms(kernel) + ms(user);
  }

  lum::win32::Win32Machine machine_;
  lum::Platform p_ = machine_.platform();
};

TEST_F(QuitPendingWait, OnePollSecondIsAFewWaitsAndTheQuitStaysForTheMainLoop) {
  CountingWait wait;
  const std::uint64_t cpuBefore = ThreadCpuMs();
  lum::PumpWait(p_, wait, 1000);
  const std::uint64_t cpu = ThreadCpuMs() - cpuBefore;
  // Spinning makes thousands of calls in that second; waiting makes one or two.
  EXPECT_LE(wait.calls.load(), 3) << "CPU used: " << cpu << " ms";
  // The figures bench/quit-wait prints.
  RecordProperty("wait_calls", std::to_string(wait.calls.load()));
  RecordProperty("cpu_ms", std::to_string(cpu));
  EXPECT_TRUE(QuitStillPending());
}

// Other programs still get their answers while the end is pending: the end of
// the session is asked with a message sent from outside. The wait returns for
// it, the pump answers it, and the rest of the second is waited out.
TEST_F(QuitPendingWait, AMessageSentFromAnotherThreadIsAnsweredWhileTheWaitGoesOn) {
  CountingWait wait;
  waitOfTarget = &wait;
  handledAtCall = -1;
  WNDCLASSW wc{};
  wc.lpfnWndProc = TargetProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"LumoraQuitWaitTarget";
  RegisterClassW(&wc);
  HWND target = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                wc.hInstance, nullptr);
  ASSERT_NE(target, nullptr);

  DWORD_PTR answer = 0;
  std::thread sender([&] {
    Sleep(300);
    SendMessageTimeoutW(target, WM_APP + 1, 0, 0, SMTO_NORMAL, 10000, &answer);
  });
  lum::PumpWait(p_, wait, 2000);
  sender.join();
  DestroyWindow(target);

  EXPECT_EQ(answer, DWORD_PTR(42));
  ASSERT_GE(handledAtCall.load(), 1);
  // Answered between two waits, not only by the last pump after the time ran out.
  EXPECT_LT(handledAtCall.load(), wait.calls.load());
  EXPECT_LE(wait.calls.load(), 4);
  EXPECT_TRUE(QuitStillPending());
}

}  // namespace
