"""The browser edition's figures, measured in each engine of school devices (chromium, WebKitGTK,
firefox-esr; TAVRELO_ENGINES to name fewer), beside tavrelo-sheets doing the same work. Not a
test; run by `make bench`.
  bench/web.py PAGE TAVRELO-SHEETS
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "web"))
import browser  # noqa: E402


def median_ms(samples):
    return statistics.median(samples)


def sheets_ms(exe, sheets, runs):
    samples = []
    with tempfile.TemporaryDirectory() as folder:
        for _ in range(runs):
            started = time.perf_counter()
            subprocess.run([exe, "-q", "--seed", "1", "--sheets", str(sheets), "-o", os.path.join(folder, "x.pdf")],
                           check=True, env=dict(os.environ, QT_QPA_PLATFORM="offscreen"), capture_output=True)
            samples.append((time.perf_counter() - started) * 1000)
    return median_ms(samples)


def engine_figures(engine):
    browser.ENGINE = engine
    page = browser.Page()
    try:
        opened = []
        for _ in range(5):
            page.open("seed=1&sheets=1")
            opened.append(page.js("return window.tavreloTimings.firstDraw"))
        print("  open to the first preview (1 sheet + answers): median %.0f ms   (goal at most 1000 ms)"
              % median_ms(opened))

        page.open("seed=1&sheets=1")
        page.set("seed", "")
        previews = []
        for _ in range(20):
            page.press("btnPreview")
            previews.append(page.js("return window.tavreloTimings.lastDraw"))
        print("  Preview of 16 problems, problem and answer sheet: median %.1f ms   (goal at most 50 ms)"
              % median_ms(previews))

        page.set("sheets", "100")
        hundred = []
        for _ in range(3):
            page.press("btnPreview")
            hundred.append(page.js("return window.tavreloTimings.lastDraw"))
        print("  100 sheets + answers ready to print (200 pages): median %.0f ms   (goal at most 3000 ms)"
              % median_ms(hundred))
    finally:
        page.close()


def main():
    page_path, exe = sys.argv[1], sys.argv[2]
    browser.HTML = page_path
    size = os.path.getsize(page_path)
    print("tavrelo.html: %d bytes (%.2f MB)   (goal at most 1.5 MB)" % (size, size / 1e6))
    for engine in os.environ.get("TAVRELO_ENGINES", "chromium webkit firefox").split():
        missing = browser.missing_for(engine)
        if missing:
            print("%s: not measured, not installed: %s" % (engine, ", ".join(missing)))
            continue
        print(engine + ":")
        engine_figures(engine)

    print("beside it, tavrelo-sheets writing the same as PDF: 1 sheet %.0f ms, 100 sheets %.0f ms"
          % (sheets_ms(exe, 1, 10), sheets_ms(exe, 100, 5)))


if __name__ == "__main__":
    main()
