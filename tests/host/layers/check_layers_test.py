#!/usr/bin/env python3
"""The layer check over a small tree of its own: each case is one include
written into one file, and the reason the check must give (None: allowed)."""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_layers  # noqa: E402

# Headers the cases include; they exist, as in the real tree.
HEADERS = ["app/mainform.h", "download/runner.h", "engine/records.h", "boot/payload_table.h",
           "inspect/processes.h", "platform/text.h", "platform/sim/sim_machine.h",
           "skin/win32/back_buffer.h", "skin/canvas.h", "app/win32/version.rci",
           "tools/isoextract/command_line.h"]

CASES = [
    # file, include line, reason
    ("inspect/sysquery.cpp", '#include "app/mainform.h"', "inspect/ may not include from app/"),
    ("download/runner.cpp", '#include "app/mainform.h"', "download/ may not include from app/"),
    ("platform/runlog.cpp", '#include "inspect/processes.h"', "platform/ may not include from inspect/"),
    ("catalogue/recommend.cpp", '#include "boot/payload_table.h"', "catalogue/ may not include from boot/"),
    ("skin/panel.cpp", '#include "engine/records.h"', "skin/ may not include from engine/"),
    ("engine/task.cpp", '#include "download/runner.h"', "engine/ may not include from download/"),
    ("tools/disklist/main.cpp", '#include "inspect/processes.h"', "tools/ may not include from inspect/"),
    ("inspect/volumes.cpp", '#include "tools/isoextract/command_line.h"',
     "inspect/ may not include from tools/"),
    # Climbing by a relative name, with angle brackets, or to a header not yet there.
    ("boot/ghost_boot.cpp", '#include "../download/runner.h"', "boot/ may not include from download/"),
    ("boot/win32/writer.cpp", '#include "../../app/mainform.h"', "boot/ may not include from app/"),
    ("platform/text.cpp", "#include <app/mainform.h>", "platform/ may not include from app/"),
    ("inspect/disktable.cpp", '#include "app/generated_later.h"', "inspect/ may not include from app/"),
    ("app/startup.cpp", '#include "platform/sim/sim_machine.h"', "the simulated machine is for tests only"),
    ("skin/canvas.cpp", '#include "skin/win32/back_buffer.h"', "portable code may not include Win32 code"),
    # Looking down, sideways within a layer, system and generated headers.
    ("download/runner.cpp", '#include "engine/records.h"', None),
    ("boot/pe_boot.cpp", '#include "inspect/processes.h"', None),
    ("app/pages.cpp", '#include "skin/canvas.h"', None),
    ("app/win32/lumora.rc", '#include "version.rci"', None),
    ("skin/win32/skin_form.cpp", '#include "skin/win32/back_buffer.h"', None),
    ("tools/bootstore/main.cpp", '#include "tools/isoextract/command_line.h"', None),
    ("tools/bootstore/main.cpp", '#include "platform/text.h"', None),
    ("platform/sim/sim_files.cpp", '#include "platform/sim/sim_machine.h"', None),
    ("platform/sim/sim_machine.cpp", '#include "lumora_version.h"', None),
    ("platform/text.cpp", "#include <string>", None),
]


class LayerCheck(unittest.TestCase):
    def test_cases(self):
        for path, line, reason in CASES:
            with self.subTest(path=path, include=line), tempfile.TemporaryDirectory() as root:
                for h in HEADERS:
                    os.makedirs(os.path.join(root, os.path.dirname(h)), exist_ok=True)
                    open(os.path.join(root, h), "w").close()
                os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
                with open(os.path.join(root, path), "w") as f:
                    f.write("// a source\n#include <cstdint>\n\n" + line + "\n")
                got = check_layers.violations(root)
                want = [(path, 4, line.split('"')[1] if '"' in line else line.split("<")[1][:-1], reason)]
                self.assertEqual(got, want if reason else [])


if __name__ == "__main__":
    unittest.main()
