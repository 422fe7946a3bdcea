#!/usr/bin/env python3
"""The layer check against a made-up tree: which includes it must refuse and which it must
let through. A check that passed everything would still pass on our real tree, so this is
what shows it can fail."""

import importlib.machinery
import os
import sys
import tempfile
import types
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SCRIPT = os.path.join(HERE, "..", "..", "scripts", "check-layers.py")

# The script loaded as a module, without running its command-line entry.
_loader = importlib.machinery.SourceFileLoader("check_layers", SCRIPT)
check_layers = types.ModuleType(_loader.name)
check_layers.__file__ = SCRIPT
_loader.exec_module(check_layers)

# (including file, include line, refused)
CASES = [
    ("platform/kernel/Modules.cpp", '#include "platform/kernel/Paths.h"', False),
    ("platform/kernel/Modules.cpp", '#include "platform/ModuleExports.h"', False),
    ("platform/kernel/Modules.cpp", '#include "platform/gdi/GdiExports.h"', True),
    ("platform/kernel/Modules.cpp", '#include "platform/user32.h"', True),
    ("platform/kernel32.h", '#include "platform/wingdi.h"', True),
    ("platform/gdi/Blit.cpp", '#include "platform/kernel32.h"', False),
    ("platform/gdi/Blit.cpp", '#include "platform/user/WindowDC.h"', True),
    ("platform/gdi/Blit.cpp", '#include "platform/ThemeApi.h"', True),
    ("platform/user/Windows.cpp", '#include "platform/controls/SystemClasses.h"', False),
    ("platform/controls/Button.cpp", '#include "platform/user/WindowManager.h"', False),
    ("platform/user/Windows.cpp", '#include "platform/presenters/SdlPresenter.h"', True),
    ("platform/user/Shell.cpp", '#include "platform/testing/ShellRecord.h"', True),
    ("platform/presenters/SdlPresenter.cpp", '#include "platform/user/Presenter.h"', False),
    ("platform/testing/Automation.cpp", '#include "platform/presenters/SdlPresenter.h"', False),
    ("runtime/Loop.cpp", '#include "platform/user32.h"', False),
    ("runtime/Loop.cpp", '#include "platform/testing/MessageLoop.h"', True),
    ("runtime/Loop.cpp", '#include "commands/Text.h"', True),
    ("commands/Text.cpp", '#include "pictures/Gif.h"', True),
    ("pictures/Gif.cpp", '#include "runtime/Values.h"', False),
    ("forms/Units.cpp", '#include "sound/Wave.h"', False),
    ("forms/Units.cpp", '#include "libraries/Core.h"', True),
    ("forms/Units.cpp", '#include "app/MainWindow.h"', True),
    ("libraries/Core.cpp", '#include "forms/Units.h"', False),
    ("app/MainWindow.cpp", '#include "libraries/Core.h"', False),
    ("app/MainWindow.cpp", '#include "platform/kernel32.h"', False),
    ("app/MainWindow.cpp", '#include "platform/testing/Automation.h"', True),
    ("skin/Skin.cpp", '#include "platform/ThemeApi.h"', False),
    ("skin/Skin.cpp", '#include "runtime/Values.h"', True),
    ("tests/app/MainTest.cpp", '#include "app/MainWindow.h"', False),
    ("tools/formc/Main.cpp", '#include "platform/testing/Automation.h"', False),
    # Spacing inside the directive does not hide it; a commented-out one is no include.
    ("platform/kernel/Heap.cpp", '  #  include "platform/gdi/Surface.h"', True),
    ("platform/kernel/Heap.cpp", '// #include "platform/gdi/Surface.h"', False),
    # A relative include is judged by the file it reaches.
    ("platform/kernel/Heap.cpp", '#include "../user/Input.h"', True),
    ("platform/user/Input.cpp", '#include "Input.h"', False),
]


class LayerCheckTest(unittest.TestCase):
    def test_cases(self):
        with tempfile.TemporaryDirectory() as root:
            check_layers.ROOT = root
            for including, line, refused in CASES:
                with self.subTest(including=including, line=line):
                    for path in (including, "platform/user/Input.h"):
                        os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
                    with open(os.path.join(root, "platform/user/Input.h"), "w") as header:
                        header.write("#pragma once\n")
                    with open(os.path.join(root, including), "w") as source:
                        source.write("// first line\n" + line + "\n")
                    faults = check_layers.check([including])
                    self.assertEqual(bool(faults), refused, faults)
                    if refused:
                        self.assertIn(f"{including}:2:", faults[0])

    def test_a_folder_without_a_layer_is_reported(self):
        with tempfile.TemporaryDirectory() as root:
            check_layers.ROOT = root
            os.makedirs(os.path.join(root, "widgets"))
            with open(os.path.join(root, "widgets/Knob.cpp"), "w") as source:
                source.write('#include "platform/user32.h"\n')
            faults = check_layers.check(["widgets/Knob.cpp"])
            self.assertEqual(len(faults), 1)
            self.assertIn("belongs to no layer", faults[0])


if __name__ == "__main__":
    unittest.main()
