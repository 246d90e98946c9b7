#!/usr/bin/python3
"""Velmo.html against the native Velmo on the same synthetic 12 MiB image:
five runs of each with one seed, the median of each, and the WebAssembly
memory and heap top the page reports after every run.

  web_page_bench.py PAGE NATIVE_VELMO MAKE_IMAGE
"""
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "web"))
from velmo_page_test import NativeRun, Page, settings_file  # noqa: E402

RUNS = 5


def main():
    page_file, native, make_image = sys.argv[1:4]
    with tempfile.TemporaryDirectory(prefix="velmo-bench-") as scratch:
        scratch = Path(scratch)
        image = scratch / "GoldenEye.z64"
        subprocess.run([make_image, str(image)], check=True, stdout=subprocess.DEVNULL)
        (scratch / "downloads").mkdir()
        page = Page(page_file, scratch / "downloads", scratch / "profile")
        try:
            page.set_settings("12345")
            for _ in range(RUNS):
                page.randomise(image)
            browser = [run["seconds"] for run in page.runs]
            memory = [run["memory"] for run in page.runs]
            heap = [run["heap"] for run in page.runs]
        finally:
            page.quit()
        native_seconds = []
        for index in range(RUNS):
            started = time.perf_counter()
            NativeRun(Path(native).resolve(), scratch / f"native-{index}", image,
                      settings_file("12345"))
            native_seconds.append(time.perf_counter() - started)
    in_browser, on_linux = statistics.median(browser), statistics.median(native_seconds)
    print("browser runs (s):", " ".join(f"{s:.2f}" for s in browser))
    print("native runs (s): ", " ".join(f"{s:.2f}" for s in native_seconds))
    print(f"median: browser {in_browser:.2f} s, native {on_linux:.2f} s, "
          f"ratio {in_browser / on_linux:.2f}")
    print("WebAssembly memory (MiB):", " ".join(f"{m / 1048576:.0f}" for m in memory),
          "; heap top (KiB):", " ".join(f"{h / 1024:.0f}" for h in heap))


if __name__ == "__main__":
    main()
