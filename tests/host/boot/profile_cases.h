#pragma once
// The profile-string cases that the portable writer and Windows' own
// WritePrivateProfileStringW must both pass. Inputs are in the form Windows
// writes itself (CR LF, no blanks around "=", no blank lines), since Wine
// rewrites other spellings of the lines it does not change.
#include <string>
#include <vector>

namespace lum::test {

struct ProfileCase {
  const char* what;
  std::string before;  // ANSI (GBK) bytes
  const char* section;
  const char* key;
  const char* value;   // UTF-8
  std::string after;   // ANSI (GBK) bytes
};

inline const std::string kBootIni =
    "[boot loader]\r\n"
    "timeout=30\r\n"
    "default=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS\r\n"
    "[operating systems]\r\n"
    "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Microsoft Windows XP Professional\" "
    "/noexecute=optin /fastdetect\r\n";

inline std::vector<ProfileCase> ProfileCases() {
  const std::string osLine =
      "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS=\"Microsoft Windows XP Professional\" "
      "/noexecute=optin /fastdetect\r\n";
  return {
      {"value replaced in place", "[a]\r\nk=1\r\nx=2\r\n", "a", "k", "new",
       "[a]\r\nk=new\r\nx=2\r\n"},
      {"section and key without regard to case, stored spelling kept", "[Boot Loader]\r\nTimeOut=30\r\nx=2\r\n",
       "boot loader", "TIMEOUT", "3", "[Boot Loader]\r\nTimeOut=3\r\nx=2\r\n"},
      {"missing key added at the end of its section", "[a]\r\nk=1\r\n[b]\r\ny=2\r\n", "a", "z", "9",
       "[a]\r\nk=1\r\nz=9\r\n[b]\r\ny=2\r\n"},
      {"missing section appended", "[a]\r\nk=1\r\n", "b", "z", "9", "[a]\r\nk=1\r\n[b]\r\nz=9\r\n"},
      {"last line without line end", "[a]\r\nk=1", "b", "z", "9", "[a]\r\nk=1\r\n[b]\r\nz=9\r\n"},
      {"empty file", "", "a", "k", "v", "[a]\r\nk=v\r\n"},
      {"only the first of two sections", "[a]\r\nk=1\r\n[A]\r\nk=2\r\n", "a", "k", "3",
       "[a]\r\nk=3\r\n[A]\r\nk=2\r\n"},
      {"same key in another section untouched", "[b]\r\nk=1\r\n[a]\r\nx=1\r\n", "a", "k", "2",
       "[b]\r\nk=1\r\n[a]\r\nx=1\r\nk=2\r\n"},
      {"comment lines kept", "; c\r\n[a]\r\n;k=1\r\nk=1\r\n", "a", "k", "2",
       "; c\r\n[a]\r\n;k=1\r\nk=2\r\n"},
      {"GBK text kept and written", "[a]\r\nt=\xC4\xE3\xBA\xC3\r\nk=1\r\n", "a", "k", "中文",
       "[a]\r\nt=\xC4\xE3\xBA\xC3\r\nk=\xD6\xD0\xCE\xC4\r\n"},
      {"boot.ini: timeout", kBootIni, "boot loader", "timeout", "3",
       "[boot loader]\r\ntimeout=3\r\ndefault=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS\r\n"
       "[operating systems]\r\n" + osLine},
      {"boot.ini: default", kBootIni, "boot loader", "default", "C:\\wvldr",
       "[boot loader]\r\ntimeout=30\r\ndefault=C:\\wvldr\r\n[operating systems]\r\n" + osLine},
      {"boot.ini: new system line", kBootIni, "operating systems", "C:\\wvldr", "\"Lumora\"",
       kBootIni + "C:\\wvldr=\"Lumora\"\r\n"},
      {"boot.ini without the systems section", "[boot loader]\r\ntimeout=30\r\n", "operating systems",
       "C:\\wvldr", "Lumora",
       "[boot loader]\r\ntimeout=30\r\n[operating systems]\r\nC:\\wvldr=Lumora\r\n"},
  };
}

}  // namespace lum::test
