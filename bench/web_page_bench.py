#!/usr/bin/python3
"""Velmo.html against the native Velmo on the same synthetic 12 MiB image, with
one seed: the first run on a fresh page and a warm run on the same page, each
timed by the page from the click until the result is in the page, and each
against a native run made just before it. Prints every run and the median of
each kind.

A fresh page is a new browser with a new profile. The click comes a second
after the file is chosen, as a player's would at the soonest.

  web_page_bench.py PAGE NATIVE_VELMO MAKE_IMAGE [ROUNDS]
"""
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "web"))
from velmo_page_test import NativeRun, Page, settings_file  # noqa: E402

ROUNDS = 5
SEED = "12345"
CHOOSING_SECONDS = 1.0


def timed_click(page, image):
    """Seconds from the click on Randomise until the result is in the page."""
    page.element("input[name=image]").send_keys(str(image))
    time.sleep(CHOOSING_SECONDS)
    page.element("button[type=submit]").click()
    page.wait_for_result()
    if not page.offered_downloads():
        raise RuntimeError("the page made no game")
    return page.runs[-1]["from_click"]


def ratio_line(name, page_seconds, native_seconds):
    in_page, native = statistics.median(page_seconds), statistics.median(native_seconds)
    return (f"{name}: page {in_page:.3f} s, native {native:.3f} s, "
            f"ratio {in_page / native:.2f} (each the median of {len(page_seconds)})")


def main():
    page_file, native, make_image = sys.argv[1:4]
    rounds = int(sys.argv[4]) if len(sys.argv) > 4 else ROUNDS
    native = Path(native).resolve()
    figures = {"first": ([], []), "warm": ([], [])}
    memory = []
    worker_seconds = []
    with tempfile.TemporaryDirectory(prefix="velmo-bench-") as scratch:
        scratch = Path(scratch)
        image = scratch / "GoldenEye.z64"
        subprocess.run([make_image, str(image)], check=True, stdout=subprocess.DEVNULL)
        (scratch / "downloads").mkdir()
        for index in range(rounds):
            page = Page(page_file, scratch / "downloads", scratch / f"profile-{index}")
            try:
                page.set_settings(SEED)
                for kind in ("first", "warm"):
                    run = NativeRun(native, scratch / f"native-{kind}-{index}", image,
                                    settings_file(SEED))
                    figures[kind][1].append(run.seconds)
                    figures[kind][0].append(timed_click(page, image))
                memory.extend(run["memory"] for run in page.runs)
                worker_seconds.extend(run["seconds"] for run in page.runs)
            finally:
                page.quit()
    for kind, (in_page, on_linux) in figures.items():
        print(f"{kind} runs, page (s):  ", " ".join(f"{s:.3f}" for s in in_page))
        print(f"{kind} runs, native (s):", " ".join(f"{s:.3f}" for s in on_linux))
    print(ratio_line("first run on a fresh page", *figures["first"]))
    print(ratio_line("warm run", *figures["warm"]))
    print("the runs themselves, inside the worker (s):",
          " ".join(f"{s:.3f}" for s in worker_seconds))
    print("WebAssembly memory after each run (MiB):",
          " ".join(f"{m / 1048576:.0f}" for m in memory))


if __name__ == "__main__":
    main()
