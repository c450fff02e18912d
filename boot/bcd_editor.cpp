#include "boot/bcd_editor.h"

#include "boot/boot_paths.h"
#include "boot/payload_table.h"
#include "inspect/processes.h"
#include "platform/text.h"

namespace lum {
namespace {

const std::string kG = BootEntryId;

// The entry's device and OS device: the WIM on a ramdisk, with the ramdisk
// options object of the boot manager.
constexpr char kRamdiskTail[] = "]\\boot\\KRP8PE6L.WIM,{ffffffff-8d96-11de-8e71-ffffffffffff}";

// Element names padded with blanks to a width of 24, so that every value
// starts in the same column.
constexpr char kPadDevice[] = " device                  ramdisk=[";
constexpr char kPadPath[] = " path                    \\windows\\system32\\boot\\winload.efi";
constexpr char kPadDescription[] = " description             ";
constexpr char kPadLocale[] = " locale                  zh-CN";
constexpr char kPadInherit[] = " inherit                 {bootloadersettings}";
constexpr char kPadOsDevice[] = " osdevice                ramdisk=[";
constexpr char kPadSystemRoot[] = " systemroot              \\windows";
constexpr char kPadDetectHal[] = " detecthal               Yes";
constexpr char kPadWinPe[] = " winpe                   Yes";

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

std::string LocateBcdEdit(Platform& p) {
  const std::string windir = WinDir(p);
  for (const char* dir : {"\\system32", "\\Sysnative"}) {
    std::string candidate = windir + dir + "\\bcdedit.exe";
    if (p.files.FileExists(candidate)) return candidate;
  }
  return WritePayload(p, payload::kEditor);
}

bool RunBcdEdit(Platform& p, const std::string& editor, const std::string& argText) {
  std::optional<ProcHandle> process = p.processes.Start(editor + argText, kShowHide);
  if (!process) return false;
  std::uint32_t r;
  do {
    r = p.processes.Wait(*process, 100);
    p.pump.Pump();
  } while (r == kWaitTimeout);
  const std::uint32_t code = p.processes.ExitCode(*process);
  p.processes.Close(*process);
  return r == kWaitObject0 && code == 0;
}

bool StoreDefaultIsOurs(Platform& p, const std::string& editor) {
  CaptureResult r = p.processes.RunCaptured(editor + " /enum {default} /v", [&p] { p.pump.Pump(); });
  if (!r.ok || r.exitCode != 0) return false;
  const std::string text = AsciiUpper(std::string(r.output.begin(), r.output.end()));
  return text.find(AsciiUpper(kG)) != std::string::npos;
}

std::string BcdExportArgs(const std::string& file) { return " /export " + file; }
std::string BcdImportArgs(const std::string& file) { return " /import " + file; }
std::string BcdDeleteEntryArgs() { return " /delete " + kG + " /f"; }

std::vector<std::string> BiosPeEntryArgs(const std::string& title) {
  return {
      " /create " + kG + " /d " + Quoted(title) + " /application bootsector",
      " /set " + kG + " path \\" + "KRPPE.MBR",
      " /displayorder " + kG + " /addlast",
      " /timeout 3",
      " /set " + kG + " device boot",
      " /default " + kG,
  };
}

std::vector<std::string> UefiEntryArgs(const std::string& s, const std::string& title) {
  const std::string set = " /set " + kG;
  return {
      " /create " + kG + " /d " + Quoted(title) + " /device",
      " /create " + kG + " /d " + Quoted(title) + " /application osloader",
      set + " ramdisksdidevice partition=" + s,
      set + " ramdisksdipath \\boot\\boot.sdi",
      set + kPadDevice + s + kRamdiskTail,
      set + kPadPath,
      set + kPadDescription + title,
      set + kPadLocale,
      set + kPadInherit,
      set + kPadOsDevice + s + kRamdiskTail,
      set + kPadSystemRoot,
      set + kPadDetectHal,
      set + kPadWinPe,
      " /displayorder " + kG + " /addlast",
      " /timeout 3",
      " /default " + kG,
      set + " testsigning on",
  };
}

std::vector<std::string> GhostEntryArgs(const std::string& s, const std::string& title) {
  return {
      BcdExportArgs(s + "\\Boot\\BCD_"),
      " /create " + kG + " /d " + Quoted(title) + " /application bootsector",
      " /set " + kG + " path \\wvldr.mbr",
      " /displayorder " + kG + " /addlast",
      " /timeout 3",
      " /default " + kG,
      " /set " + kG + " device partition=" + s,
  };
}

}  // namespace lum
