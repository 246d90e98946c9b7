#!/usr/bin/python3
"""Velmo.html in headless Chromium, opened from disk with the network off.

One browser runs the cases one after another, in one page load, against the
native Velmo on the same synthetic images and the same Velmo.ini. Leaves
screenshots of a finished run, of its Project64 panel, of a refused image, of
a file too large to be one, of a European run, of a run with a race patch and of
a game made from a patch in the output folder.

  velmo_page_test.py PAGE NATIVE_VELMO MAKE_IMAGE OUTPUT_FOLDER
"""
import json
import re
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

SWITCHES = ["RandomiseStartingWeapons", "RandomiseGuardTypes", "RandomiseGuardWeapons",
            "AddNemesis", "RandomiseKeys", "RandomiseCubaBody"]
MEMORY_LIMIT = 64 * 1024 * 1024
CARTRIDGE_LIMIT = 64 * 1024 * 1024


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def settings_file(seed, off=(), spoiler=True, trace=False, patch=False):
    """The Velmo.ini the page gives a run with these settings."""
    flag = lambda on: "1" if on else "0"
    lines = [f"TraceLogging={flag(trace)}", "UpdatePJ64=1", "PJ64RDBFile=Project64.rdb",
             "RandomisedROMs=0", f"SpoilerLog={flag(spoiler)}", f"Seed={seed}"]
    lines += [f"{key}={flag(key not in off)}" for key in SWITCHES]
    lines += ["ConvertByteOrder=1", f"WritePatch={flag(patch)}"]
    return "\n".join(lines) + "\n"


def from_announcement(log):
    """The log from "Will load [" on, where it no longer depends on the build."""
    start = log.find("Will load [")
    check(start >= 0, "the log has no announcement")
    return log[start:]


class NativeRun:
    """The console Velmo on a copy of the image (and of a patch), started in
    the image's folder with the files' bare names, as the page names them."""

    def __init__(self, velmo, folder, image, ini, patch=None):
        folder.mkdir(parents=True)
        shutil.copy(velmo, folder / "Velmo")
        (folder / "Velmo.ini").write_text(ini)
        files = [image] + ([patch] if patch else [])
        for file in files:
            shutil.copy(file, folder / file.name)
        started = time.perf_counter()
        self.log = subprocess.run(["./Velmo"] + [file.name for file in files], cwd=folder,
                                  stdin=subprocess.DEVNULL, capture_output=True, text=True,
                                  check=True).stdout
        self.seconds = time.perf_counter() - started
        self.folder = folder

    def file(self, name):
        return (self.folder / name).read_bytes()

    def logged(self, pattern):
        """The groups of the log line that matches, or None."""
        found = re.search(pattern, self.log, re.MULTILINE)
        return found.groups() if found else None


class Page:
    """Velmo.html in one browser tab, with its downloads in a folder."""

    def __init__(self, page, downloads, profile):
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for argument in ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                         "--no-first-run", "--disable-background-networking",
                         "--disable-component-update", "--disable-sync",
                         f"--user-data-dir={profile}", "--window-size=1280,1000"]:
            options.add_argument(argument)
        options.set_capability("goog:loggingPrefs", {"performance": "ALL", "browser": "ALL"})
        self.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        self.downloads = downloads
        self.driver.execute_cdp_cmd("Page.setDownloadBehavior",
                                    {"behavior": "allow", "downloadPath": str(downloads)})
        self.driver.execute_cdp_cmd("Network.enable", {})
        self.driver.execute_cdp_cmd("Network.emulateNetworkConditions", {
            "offline": True, "latency": 0, "downloadThroughput": 0, "uploadThroughput": 0})
        self.driver.get(Path(page).resolve().as_uri())
        self.runs = []

    def quit(self):
        self.driver.quit()

    def element(self, selector):
        return self.driver.find_element(By.CSS_SELECTOR, selector)

    def set_settings(self, seed, off=(), spoiler=True, trace=False, patch=False):
        field = self.element("input[name=Seed]")
        field.clear()
        field.send_keys(seed)
        wanted = {key: key not in off for key in SWITCHES}
        wanted.update(SpoilerLog=spoiler, TraceLogging=trace, WritePatch=patch)
        for key, on in wanted.items():
            box = self.element(f"input[name={key}]")
            if box.is_selected() != on:
                box.click()

    def choose_and_click(self, image):
        self.element("input[name=image]").send_keys(str(image))
        self.element("button[type=submit]").click()

    def randomise(self, image):
        self.choose_and_click(image)
        self.wait_for_result()

    def apply_patch(self, image, patch):
        self.element("#patch-image").send_keys(str(image))
        self.element("#patch-file").send_keys(str(patch))
        self.element("#apply-patch").click()
        self.wait_for_result()

    def paste_share_code(self, code):
        """Types the code into its field and waits for the page's answer."""
        field = self.element("#share-code")
        field.clear()
        field.send_keys(code)
        WebDriverWait(self.driver, 30, 0.02).until(
            lambda driver: self.element("#share-code-note").get_attribute("data-state") != "")
        return self.element("#share-code-note").text

    def settings(self):
        """The Seed field and which switches are on."""
        return (self.element("input[name=Seed]").get_attribute("value"),
                [key for key in SWITCHES if self.element(f"input[name={key}]").is_selected()])

    def wait_for_result(self):
        """Waits until the page shows how the run went, and notes its figures."""
        WebDriverWait(self.driver, 120, 0.01).until(
            lambda driver: self.element("#run-stats").text != "")
        stats = self.element("#run-stats")
        self.runs.append({"seconds": float(stats.get_attribute("data-seconds")),
                          "from_click": float(stats.get_attribute("data-seconds-from-click")),
                          "memory": int(stats.get_attribute("data-memory-bytes")),
                          "heap": int(stats.get_attribute("data-heap-top"))})

    def log(self):
        return self.driver.execute_script("return document.getElementById('log').textContent")

    def offered_downloads(self):
        """The names of the links that offer a file now."""
        return [link.get_attribute("download")
                for link in self.driver.find_elements(By.CSS_SELECTOR, "a[download][href]")]

    def download(self, selector):
        link = self.element(selector)
        name = link.get_attribute("download")
        target = self.downloads / name
        if target.exists():
            target.unlink()
        if not link.is_displayed():
            # Behind its summary, as the spoiler log is: opened as a player would.
            self.driver.execute_script("return arguments[0].closest('details')", link).find_element(
                By.TAG_NAME, "summary").click()
        check(link.is_displayed(), f"the link to {name} cannot be seen")
        self.driver.execute_script("arguments[0].click()", link)
        deadline = time.time() + 30
        while time.time() < deadline:
            partial = list(self.downloads.glob("*.crdownload"))
            if target.exists() and not partial:
                return name, target.read_bytes()
            time.sleep(0.1)
        raise Failure(f"{name} was not downloaded")

    def screenshot(self, path):
        height = self.driver.execute_script("return document.documentElement.scrollHeight")
        self.driver.set_window_size(1280, max(height, 800))
        self.driver.execute_script("window.scrollTo(0, 0)")
        self.driver.save_screenshot(str(path))
        self.driver.set_window_size(1280, 1000)


class Cases:
    def __init__(self, page, native, make_image, out, scratch):
        self.page = page
        self.native = native
        self.out = out
        self.scratch = scratch
        self.make_image = make_image
        self.image = scratch / "images" / "GoldenEye.z64"
        self.refused = scratch / "images" / "GoldenEye (Europe).z64"
        self.image.parent.mkdir()
        subprocess.run([make_image, str(self.image)], check=True, stdout=subprocess.DEVNULL)
        subprocess.run([make_image, "--variant", "other-region", str(self.refused)], check=True,
                       stdout=subprocess.DEVNULL)

    def native_run(self, name, image, ini, patch=None):
        return NativeRun(self.native, self.scratch / name, image, ini, patch)

    def compare_game(self, native, image_name):
        output = Path(image_name).stem + "_rand.z64"
        name, image = self.page.download("#image-download")
        check(name == output, f"the image is offered as {name}")
        check(image == native.file(output), "the image differs from the native one")
        check(from_announcement(self.page.log()) == from_announcement(native.log),
              "the log differs from the native one")
        self.compare_race_lines(native)
        # A race patch is offered exactly when the run wrote one.
        written = native.logged(r"^SUCCESS ROM::WritePatch\(\): Wrote patch \[(.+)\]$")
        offered = [file for file in self.page.offered_downloads() if file.endswith(".bps")]
        check(offered == list(written or ()), f"the page offers the patches {offered}")
        return name

    def compare_race_lines(self, native):
        """The share code and the game hash shown are the native run's."""
        code = native.logged(r"^INFO Share code \[(.+)\]$")
        words, crc = native.logged(r"^INFO Game hash \[(.+)\] \(CRC-32 ([0-9A-F]{8})\)$")
        shown = self.page.element("#share-code-made")
        check(shown.text == (code[0] if code else "") and shown.is_displayed() == bool(code),
              f"the share code is shown as {shown.text!r}")
        check(self.page.element("#hash-words").text == words and
              self.page.element("#hash-crc").text == crc and
              self.page.element("#hash-words").is_displayed(),
              f"the game hash is shown as {self.page.element('#game-hash').text!r}")

    def replayed_seed(self):
        # The module is compiled and started while the player still chooses.
        WebDriverWait(self.page.driver, 30, 0.05).until(
            lambda driver: self.page.element("#settings").get_attribute("data-ready") == "yes")
        off = ("RandomiseGuardTypes", "AddNemesis")
        self.page.set_settings("12345", off)
        self.page.randomise(self.image)
        native = self.native_run("replayed", self.image, settings_file("12345", off))
        self.compare_game(native, self.image.name)
        check(self.page.element("#seed").text == "12345", "the seed is not shown")
        # The entry for every game is what the console tool appends with
        # PJ64GameEntry=1 to a database without it.
        with_entry = self.native_run("game-entry", self.image,
                                     settings_file("12345", off) + "PJ64GameEntry=1\n")
        check(self.page.element("#game-entry").get_attribute("value").encode() ==
              with_entry.file("Project64.rdb"), "the game entry differs from the native one")
        check(self.page.element("#game-entry").is_displayed(), "the game entry cannot be seen")
        check("Project64 3.0 or later: paste this once at the end of Project64.rdb; every game "
              "Velmo makes then runs with GoldenEye's own settings" in
              self.page.element("#database-box").text.splitlines(),
              "the game entry's line is not shown")
        check(not self.page.element("#database").is_displayed(),
              "the image's own section is not behind a click")
        self.page.element("#database-box").screenshot(str(self.out / "velmo-page-project64.png"))
        _, database = self.page.download("#database-download")
        check(database == native.file("Project64.rdb"), "the database entry differs")
        check(self.page.element("#database").get_attribute("value").encode() == database,
              "the entry shown is not the one downloaded")
        name, spoiler = self.page.download("#spoiler-download")
        check(name == "GoldenEye_rand_spoiler.txt", f"the spoiler log is offered as {name}")
        check(spoiler == native.file("GoldenEye_rand_spoiler.txt"), "the spoiler log differs")
        colours = self.page.driver.execute_script("""
            const colour = {};
            for (const piece of document.querySelectorAll('#log .line > span')) {
              colour[piece.textContent] ??= getComputedStyle(piece).color;
            }
            return colour;""")
        for word, colour in [("SUCCESS ", "rgb(22, 198, 12)"),
                             ("INFO ", "rgb(192, 192, 192)"), ("GoldenEye.z64", "rgb(242, 242, 242)")]:
            check(colours.get(word) == colour,
                  f"{word!r} is shown in {colours.get(word)}, not {colour}")
        check(self.page.element("#progress").get_attribute("value") == "21",
              "the progress bar did not reach 21 levels")
        self.page.driver.execute_script("document.getElementById('spoiler-box').open = false")
        self.page.screenshot(self.out / "velmo-page-success.png")

    def refused_image(self):
        self.page.set_settings("999", patch=True)
        self.page.randomise(self.refused)
        native = self.native_run("refused", self.refused, settings_file("999", patch=True))
        errors = [line for line in native.log.splitlines() if line.startswith("ERROR ")]
        check(len(errors) >= 3, "the native run was not refused")
        shown = self.page.log().splitlines()
        check([line for line in shown if line.startswith("ERROR ")] == errors,
              "the log does not show the native run's ERROR lines")
        check(self.page.element("#failure-lines").text.splitlines() == errors,
              "the failure panel does not keep the ERROR lines")
        check(self.page.offered_downloads() == [], "a refused run offers a download")
        self.page.screenshot(self.out / "velmo-page-refused.png")

    def bad_setting(self):
        self.page.set_settings("abc")
        self.page.randomise(self.image)
        line = "ERROR LoadInROM(): Seed [abc] in config file is not a number from 0 to 4294967295"
        check(line in self.page.log().splitlines(), "the refusal line is not shown")
        check(self.page.offered_downloads() == [], "a refused run offers a download")

    def two_runs(self):
        for seed in ("777", "54321"):
            self.page.set_settings(seed)
            self.page.randomise(self.image)
            native = self.native_run(f"seed-{seed}", self.image, settings_file(seed))
            self.compare_game(native, self.image.name)
        memory = {run["memory"] for run in self.page.runs}
        check(max(memory) <= MEMORY_LIMIT, f"runs took {max(memory)} bytes of memory")
        successes = [self.page.runs[index] for index in (0, 3, 4)]
        check(len({run["memory"] for run in successes}) == 1 and
              len({run["heap"] for run in successes}) == 1,
              f"memory grew from run to run: {successes}")

    def race_patch(self):
        self.page.set_settings("86420", patch=True)
        self.page.randomise(self.image)
        native = self.native_run("race-patch", self.image, settings_file("86420", patch=True))
        check("SUCCESS ROM::WritePatch(): Wrote patch [GoldenEye_rand.bps]" in
              native.log.splitlines(), "the native run wrote no patch")
        self.compare_game(native, self.image.name)
        name, patch = self.page.download("#patch-download")
        check(name == "GoldenEye_rand.bps", f"the patch is offered as {name}")
        check(patch == native.file("GoldenEye_rand.bps"), "the patch differs from the native one")
        check("Hand this to the racers: with their own image it makes this game, without showing "
              "the spoiler." in self.page.element("#patch-line").text,
              f"the patch's line reads {self.page.element('#patch-line').text!r}")
        memory = self.page.runs[-1]["memory"]
        check(memory <= MEMORY_LIMIT, f"the run with a patch took {memory} bytes of memory")
        self.page.screenshot(self.out / "velmo-page-race-patch.png")

    def largest_cartridge(self):
        largest = self.scratch / "images" / "Largest.z64"
        with open(largest, "wb") as image:
            image.write(self.image.read_bytes())
            image.truncate(CARTRIDGE_LIMIT)
        self.page.set_settings("4242")
        self.page.randomise(largest)
        native = self.native_run("largest", largest, settings_file("4242"))
        self.compare_game(native, largest.name)

    def too_large(self):
        too_large = self.scratch / "images" / "Too large.z64"
        with open(too_large, "wb") as image:
            image.truncate(CARTRIDGE_LIMIT + 4)
        self.page.set_settings("31337")
        self.page.choose_and_click(too_large)
        line = "This file is [64.01] MiB; a cartridge image is at most 64 MiB"
        WebDriverWait(self.page.driver, 30, 0.05).until(
            lambda driver: self.page.element("#status").text == line)
        check(self.page.offered_downloads() == [], "a file too large offers a download")
        check(self.page.log() == "", "a file too large was handed to the run")
        self.page.screenshot(self.out / "velmo-page-size-refused.png")
        self.page.randomise(self.image)
        native = self.native_run("after-too-large", self.image, settings_file("31337"))
        self.compare_game(native, self.image.name)

    def european_image(self):
        pal = self.scratch / "images" / "GoldenEye PAL.z64"
        subprocess.run([self.make_image, "--region", "pal", str(pal)], check=True,
                       stdout=subprocess.DEVNULL)
        self.page.set_settings("97531")
        self.page.randomise(pal)
        native = self.native_run("pal", pal, settings_file("97531"))
        self.compare_game(native, pal.name)
        with_entry = self.native_run("pal-entry", pal, settings_file("97531") + "PJ64GameEntry=1\n")
        entry = self.page.element("#game-entry").get_attribute("value")
        check(entry.encode() == with_entry.file("Project64.rdb") and
              entry.splitlines()[-2] == "[GOLDENEYE-C:50]",
              f"the European image gets the game entry {entry!r}")
        self.page.screenshot(self.out / "velmo-page-pal.png")

    def share_code(self):
        off = ("RandomiseGuardWeapons", "RandomiseCubaBody")
        native = self.native_run("shared", self.image, settings_file("24680", off))
        code, release = native.logged(r"^INFO Share code \[(R(\d+)-24680-110110)\]$")
        self.page.set_settings("1")
        note = self.page.paste_share_code(code)
        check(note == "Seed and switches set: Randomise makes this game.",
              f"the code was answered with {note!r}")
        check(self.page.settings() == ("24680", [key for key in SWITCHES if key not in off]),
              f"the code set {self.page.settings()}")
        self.page.randomise(self.image)
        self.compare_game(native, self.image.name)
        other = int(release) + 1
        for bad, refusal in [
                (code[:-1], f"ShareCode [{code[:-1]}] is not a share code: "
                            "R<release>-<seed>-<six digits 0 or 1>"),
                (f"R{other}-5-111111", f"ShareCode [R{other}-5-111111] was made by release "
                                       f"{other}; this Velmo is release {release} and would "
                                       "make a different game")]:
            self.page.set_settings("13579", ("AddNemesis",))
            note = self.page.paste_share_code(bad)
            check(note == refusal, f"{bad} was answered with {note!r}")
            check(self.page.settings() == ("13579", [key for key in SWITCHES if key != "AddNemesis"]),
                  f"{bad} changed the settings to {self.page.settings()}")
        # A seed set by hand makes another game than the field's code.
        self.page.set_settings("13579")
        check(self.page.element("#share-code").get_attribute("value") == "" and
              self.page.element("#share-code-note").text == "", "a hand-set seed kept the code")

    def patch(self):
        # The native run's patch makes its game from the same image in any order.
        made = self.native_run("patch-made", self.image, settings_file("8642", patch=True))
        patch = self.scratch / "images" / "GoldenEye_rand.bps"
        patch.write_bytes(made.file("GoldenEye_rand.bps"))
        swapped = self.scratch / "images" / "GoldenEye.v64"
        big = self.image.read_bytes()
        swapped.write_bytes(bytes(big[index ^ 1] for index in range(len(big))))
        refused = self.native_run("patch-refused", self.refused, settings_file("8642"), patch)
        errors = [line for line in refused.log.splitlines() if line.startswith("ERROR ")]
        check(errors, "the native run took the patch for another image")
        self.page.apply_patch(self.refused, patch)
        check(self.page.element("#failure-lines").text.splitlines() == errors,
              "the failure panel does not show the native run's ERROR lines")
        check(self.page.offered_downloads() == [], "a refused patch offers a download")
        self.page.apply_patch(swapped, patch)
        native = self.native_run("patch-applied", swapped, settings_file("8642"), patch)
        self.compare_game(native, swapped.name)
        check(native.file("GoldenEye_rand.z64") == made.file("GoldenEye_rand.z64"),
              "the patch does not make the randomised game")
        check(sorted(self.page.offered_downloads()) ==
              ["GoldenEye_rand.z64", "GoldenEye_rand_Project64_entry.txt"],
              f"a game from a patch offers {self.page.offered_downloads()}")
        check(not self.page.element("#seed-line").is_displayed(), "a patch's game shows a seed")
        self.page.screenshot(self.out / "velmo-page-patch.png")

    def quiet_console(self):
        noisy = [entry for entry in self.page.driver.get_log("browser")
                 if entry["level"] in ("SEVERE", "WARNING")]
        check(noisy == [], f"the browser logged: {noisy}")

    def no_network(self):
        network = ("http:", "https:", "ws:", "wss:", "ftp:")
        entries = self.page.driver.execute_script(
            "return performance.getEntries().map((entry) => entry.name)")
        check(not [name for name in entries if name.startswith(network)],
              f"performance entries name the network: {entries}")
        requested = []
        for entry in self.page.driver.get_log("performance"):
            message = json.loads(entry["message"])["message"]
            if message["method"] in ("Network.requestWillBeSent", "Network.webSocketCreated"):
                url = message["params"].get("request", {}).get("url") or message["params"]["url"]
                requested.append(url)
        check(requested, "the network log recorded nothing at all")
        check(any(url.startswith("file:") for url in requested), "the page's own load is not logged")
        remote = [url for url in requested if url.startswith(network)]
        check(remote == [], f"the page made network requests: {remote}")


def main():
    page_file, native, make_image, out = sys.argv[1:5]
    out = Path(out)
    with tempfile.TemporaryDirectory(prefix="velmo-page-") as scratch:
        scratch = Path(scratch)
        (scratch / "downloads").mkdir()
        page = Page(page_file, scratch / "downloads", scratch / "profile")
        failed = 0
        try:
            cases = Cases(page, Path(native).resolve(), make_image, out, scratch)
            for name, run in [("Replayed seed", cases.replayed_seed),
                              ("Refused image", cases.refused_image),
                              ("Bad setting", cases.bad_setting),
                              ("Two runs", cases.two_runs),
                              ("Race patch", cases.race_patch),
                              ("Largest cartridge", cases.largest_cartridge),
                              ("Too large a file", cases.too_large),
                              ("European image", cases.european_image),
                              ("Share code", cases.share_code),
                              ("Patch", cases.patch),
                              ("No network", cases.no_network),
                              ("Quiet console", cases.quiet_console)]:
                try:
                    run()
                    print(f"PASS {name}")
                except Exception as failure:  # pylint: disable=broad-except
                    # One case's fault must not hide the others'.
                    failed += 1
                    print(f"FAIL {name}: {failure}")
            runs = page.runs
            print("Runs in the page (s):", " ".join(f"{run['seconds']:.2f}" for run in runs))
            print("WebAssembly memory (MiB):",
                  " ".join(f"{run['memory'] / 1048576:.0f}" for run in runs),
                  "; heap top after each (KiB):",
                  " ".join(f"{run['heap'] / 1024:.0f}" for run in runs))
        finally:
            page.quit()
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
