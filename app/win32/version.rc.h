// Version resource shared by the program and its tools; include after
// defining LUMORA_RC_DESCRIPTION, LUMORA_RC_INTERNAL and LUMORA_RC_FILENAME.
#include <winver.h>
#include "lumora_version.h"

VS_VERSION_INFO VERSIONINFO
 FILEVERSION LUMORA_VERSION_COMMAS
 PRODUCTVERSION LUMORA_VERSION_COMMAS
 FILEFLAGSMASK 0x3fL
 FILEFLAGS 0x0L
 FILEOS VOS_NT_WINDOWS32
 FILETYPE VFT_APP
 FILESUBTYPE 0x0L
BEGIN
  BLOCK "StringFileInfo"
  BEGIN
    BLOCK "080404b0"
    BEGIN
      VALUE "CompanyName", "Lumora"
      VALUE "FileDescription", LUMORA_RC_DESCRIPTION
      VALUE "FileVersion", LUMORA_VERSION_TEXT
      VALUE "InternalName", LUMORA_RC_INTERNAL
      VALUE "LegalCopyright", "Lumora"
      VALUE "OriginalFilename", LUMORA_RC_FILENAME
      VALUE "ProductName", "Lumora"
      VALUE "ProductVersion", LUMORA_VERSION_TEXT
    END
  END
  BLOCK "VarFileInfo"
  BEGIN
    VALUE "Translation", 0x0804, 1200
  END
END
