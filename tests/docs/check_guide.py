#!/usr/bin/env python3
"""Holds docs/plugin-guide.md to the sources. Blocks marked <!-- check: ... -->:
"file NAME" is written out, "run" is run beside it (the walk-through's build
commands, which must export TV2PackageProc undecorated), "excerpt of PATH" must
occur in PATH and "same as PATH" must be PATH. Every C source then compiles as
strict C99, and the SDK header as C++98, for 32- and 64-bit Windows."""
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile

top = pathlib.Path(sys.argv[1]).resolve()
blocks = re.findall(r"<!-- check: (.+?) -->\n```\w*\n(.*?)```\n", (top / "docs/plugin-guide.md").read_text(), re.S)
counts = [0, 0]  # passed, failed


def check(name, ok, detail=""):
    print(("ok      " if ok else "FAILED  ") + name)
    counts[0 if ok else 1] += 1
    if not ok:
        print(detail)


def run(command, cwd):
    p = subprocess.run(command, cwd=cwd, capture_output=True, text=True)
    return p.returncode == 0, p.stdout + p.stderr


with tempfile.TemporaryDirectory() as work:
    shutil.copy(top / "plugins/tovara2_sdk.h", work)
    sources = [top / "packages/example/example.c"]
    for kind, text in blocks:
        if kind.startswith("file "):
            sources.append(pathlib.Path(work) / kind[5:])
            sources[-1].write_text(text)
        elif kind.startswith("excerpt of "):
            check(kind, text in (top / kind[11:]).read_text(), text)
        elif kind.startswith("same as "):
            check(kind, text == (top / kind[8:]).read_text(), "the guide's copy differs")
    check("the guide has a file and build commands to check", len(sources) > 1 and any(k == "run" for k, _ in blocks))
    for kind, text in blocks:
        if kind == "run":
            ok, out = run(["bash", "-e", "-c", text], work)
            check("walk-through build commands", ok and "TV2PackageProc" in out and "@" not in out, out)
    (pathlib.Path(work) / "header.cpp").write_text('#include "tovara2_sdk.h"\nint header_only;\n')
    strict = ["-pedantic", "-Wall", "-Werror", "-I" + work, "-fsyntax-only"]
    for arch in ("i686", "x86_64"):
        for source in sources:
            ok, out = run([arch + "-w64-mingw32-gcc", "-std=c99", *strict, str(source)], work)
            check(f"{source.name} as C99, {arch}", ok, out)
        ok, out = run([arch + "-w64-mingw32-g++", "-std=c++98", *strict, "header.cpp"], work)
        check(f"tovara2_sdk.h as C++98, {arch}", ok, out)

print(f"{counts[0]} passed, {counts[1]} failed")
sys.exit(1 if counts[1] else 0)
