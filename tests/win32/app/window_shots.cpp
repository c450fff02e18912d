// Screenshots of the main window's five pages and of the message dialog with
// and without Cancel, taken from the screen the way a user sees them (with
// the soft frame around the windows). Writes NN-name.bmp files into the
// folder given as the argument; scripts/screenshots turns them into PNG.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/win32/msgform_win.h"
#include "tests/win32/app/window_fixture.h"

using namespace lumtest;

namespace {

bool SaveScreen(const RECT& r, const std::wstring& path) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;  // bottom-up, as BMP files store rows
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, dib);
  BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  const DWORD stride = DWORD((w * 3 + 3) & ~3), size = stride * DWORD(h);
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
  fh.bfSize = fh.bfOffBits + size;
  bool ok = false;
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f != INVALID_HANDLE_VALUE) {
    DWORD n = 0;
    ok = WriteFile(f, &fh, sizeof fh, &n, nullptr) &&
         WriteFile(f, &bi.bmiHeader, sizeof bi.bmiHeader, &n, nullptr) &&
         WriteFile(f, bits, size, &n, nullptr);
    CloseHandle(f);
  }
  SelectObject(mem, old);
  DeleteObject(dib);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return ok;
}

// The window with a margin for the soft frame around it.
RECT AroundWindow(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  InflateRect(&r, 16, 16);
  return r;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: lumora_window_shots OUTPUT-FOLDER\n");
    return 2;
  }
  const std::wstring out = std::wstring(argv[1]) + L"\\";
  TestMachine machine;
  MainWindow w(machine, DownloadScript::Succeed);
  lum::win::Tvorel& f = w.form();
  if (!f.Handle()) return 1;
  int failures = 0;
  auto shot = [&](const wchar_t* name, HWND window) {
    Pump(600);
    if (!SaveScreen(AroundWindow(window), out + name + L".bmp")) ++failures;
  };

  shot(L"01-home", f.Handle());

  f.Logic().Btn_setupClick();
  shot(L"02-system-list", f.Handle());

  f.ShowPage(lum::kPageDownload);
  f.SetBannerVisible(3, true);
  f.SetCaption("Down_fn", "win7x64.gho");
  f.SetCaption("Down_Dph", "D:\\ZqGhost\\");
  f.SetCaption("Down_Fsize", "3.99GB");
  f.SetCaption("Down_SD", "8.52MB/s");
  f.SetCaption("Down_Js", "1.24GB");
  f.SetCaption("Down_pro", "31%");
  f.SetProgressMax(100);
  f.SetProgress(31);
  shot(L"03-download", f.Handle());

  f.ShowPage(lum::kPageInstall);
  f.SetBannerVisible(4, true);
  shot(L"04-install", f.Handle());

  f.ShowPage(lum::kPageFinish);
  f.SetCaption("Lab_time", "(10S)");
  f.SetVisible("Lab_time", true);
  shot(L"05-finish", f.Handle());

  // The dialog over the download page, as the closing rule and a failure show it.
  f.ShowPage(lum::kPageDownload);
  f.SetBannerVisible(4, false);
  const struct {
    const wchar_t* name;
    const char* text;
    bool cancel;
  } dialogs[] = {{L"06-dialog-ok", "提示：下载失败，请关闭程序后重试！", false},
                 {L"07-dialog-ok-cancel", "提示：程序正在运行，确定要退出吗？", true}};
  for (const auto& d : dialogs) {
    lum::win::TAppmbox box;
    if (!box.Create(f.Handle())) return 1;
    box.SetText(d.text);
    box.SetCancelVisible(d.cancel);
    ShowWindow(box.Handle(), SW_SHOW);
    SetForegroundWindow(box.Handle());
    shot(d.name, f.Handle());
  }
  return failures == 0 ? 0 : 1;
}
