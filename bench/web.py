"""The browser edition's figures, each beside its goal, in each engine of school devices
(chromium, WebKitGTK, firefox-esr; TAVRELO_ENGINES to name fewer), and tavrelo-sheets doing the
same work. Not a test; run by `make bench`.
  bench/web.py PAGE TAVRELO-SHEETS
  TAVRELO_BENCH=modes bench/web.py PAGE -     the modes a link opens alone (practice, show), in
      Chromium; TAVRELO_PRACTICE_HTML: another page's practice view; TAVRELO_SLOWDOWNS="6"

Chromium is measured as it is and with its processor slowed down six times, as DevTools does it
(a low-end Chromebook): the class Chromium below. An engine measured so is one more such class
in SLOWED (its page, a way to slow it, to print it and to read its memory).
"""
import base64
import os
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "web"))
import browser  # noqa: E402

# What is measured, and its goal in milliseconds, per processor slowdown (None: no goal).
GOALS = {
    "open": {1: 1000, 6: 400},
    "preview": {1: 50, 6: None},
    "hundred": {1: 3000, 6: 1500},
    "print": {1: None, 6: 6000},
    # The modes a link opens: a pupil's practice, the teacher's showing.
    "practice-open": {1: None, 6: 500},
    "practice-name": {1: None, 6: 500},
    "practice-tap": {1: None, 6: 16},
    "practice-next": {1: None, 6: 50},
    "show-open": {1: None, 6: 500},
    "show-step": {1: None, 6: 16},
    "show-next": {1: None, 6: 50},
}
# Firefox printed those 200 pages in 16.9 s before: half of that is its goal.
ENGINE_GOALS = {("firefox", "print"): 8450}
TITLES = {
    "open": "open to the first preview (1 sheet + answers)",
    "preview": "Preview of 16 problems, problem and answer sheet",
    "hundred": "100 sheets + answers drawn and ready to print (200 pages)",
    "print": "those 200 pages printed to PDF",
    "practice-open": "practice link to its first problem ready, painted",
    "practice-name": "practice link to the view open (a name asked first), painted",
    "practice-tap": "a pad key tapped to the digit painted",
    "practice-next": "to the next problem, painted",
    "show-open": "show link to its first figure, painted",
    "show-step": "a key to the next step painted",
    "show-next": "PageDown to the next problem's figure, painted",
}

# Waits for the next frame the page paints after a click: the sheets are then on screen.
CLICK_TO_FRAME = """
const done = arguments[arguments.length - 1];
const started = performance.now();
document.getElementById(arguments[0]).click();
requestAnimationFrame(() => setTimeout(() => done(performance.now() - started), 0));"""

# From the start of the navigation to the first frame painted with the first preview (a page
# from before firstShown: to the first sheets in the document).
FIRST_SHOWN = """
const done = arguments[arguments.length - 1];
const t = window.tavreloTimings;
const wait = () => (!("firstShown" in t) ? done(t.firstDraw)
                    : t.firstShown !== null ? done(t.firstShown) : setTimeout(wait, 10));
wait();"""


class Chromium:
    """Debian's chromium through chromedriver; the processor slowed down through DevTools."""

    def __init__(self, slowdown):
        self.slowdown = slowdown
        browser.ENGINE = "chromium"
        self.page = browser.Page()
        self.cdp("Emulation.setCPUThrottlingRate", {"rate": slowdown})

    def cdp(self, command, arguments=None):
        return self.page.driver.execute_cdp_cmd(command, arguments or {})

    def open(self, fragment):
        """Opens the page at the address; the milliseconds until its first preview was painted,
        and until it was in the document."""
        self.page.open(fragment, fresh=False)
        return (self.page.driver.execute_async_script(FIRST_SHOWN),
                self.page.js("return window.tavreloTimings.firstDraw"))

    def click_to_frame(self, element_id):
        return self.page.driver.execute_async_script(CLICK_TO_FRAME, element_id)

    def last_draw(self):
        return self.page.js("return window.tavreloTimings.lastDraw")

    def print_pdf(self):
        """The page printed as the print dialog's "PDF に保存" would: milliseconds, pages."""
        started = time.perf_counter()
        result = self.cdp("Page.printToPDF", {"printBackground": False, "preferCSSPageSize": True})
        elapsed = (time.perf_counter() - started) * 1000
        with tempfile.NamedTemporaryFile(suffix=".pdf") as out:
            out.write(base64.b64decode(result["data"]))
            out.flush()
            info = subprocess.run(["pdfinfo", out.name], check=True, capture_output=True, text=True).stdout
        pages = next(int(line.split()[-1]) for line in info.splitlines() if line.startswith("Pages:"))
        return elapsed, pages

    def memory(self):
        """The page's DOM nodes and JavaScript heap (bytes in use), garbage collected first."""
        self.cdp("HeapProfiler.enable")
        self.cdp("HeapProfiler.collectGarbage")
        self.cdp("Performance.enable")
        metrics = {m["name"]: m["value"] for m in self.cdp("Performance.getMetrics")["metrics"]}
        return int(metrics["Nodes"]), metrics["JSHeapUsedSize"]

    def close(self):
        self.page.close()


# Set in every new document before the page's own scripts: the moments (from the start of the
# navigation) at which the page said a mode was ready, and the frame after each was painted. The
# modes' only promises are these attributes on <html>: data-state (app.js: "ready" once a mode is
# open), data-practice ("ready" when the practice view shows a problem), data-show-problem.
MODE_MOMENTS = """
window.tavreloBench = {};
const seen = (name, value) => {
  const b = window.tavreloBench;
  if (b[name] !== undefined) return;
  b[name] = performance.now();
  requestAnimationFrame(() => setTimeout(() => { b[name + "Painted"] = performance.now(); }, 0));
};
new MutationObserver(() => {
  const d = document.documentElement.dataset;
  if (d.state === "ready") seen("state");
  if (d.practice === "ready") seen("practice");
  const practice = document.getElementById("practice");
  if (practice && practice.dataset.view === "work") seen("work");
  if (d.showProblem) seen("show");
}).observe(document, {subtree: true, attributes: true, attributeFilter: ["data-state", "data-practice", "data-show-problem", "data-view"]});"""

KEY_TO_FRAME = """
const done = arguments[arguments.length - 1];
const started = performance.now();
document.activeElement.dispatchEvent(new KeyboardEvent("keydown", {key: arguments[0], bubbles: true, cancelable: true}));
const handled = performance.now() - started;
requestAnimationFrame(() => {
  const frame = performance.now();
  setTimeout(() => done([performance.now() - started, handled, performance.now() - frame]), 0);
});"""

# The practice view's hooks: the agreed ones first (data-practice="ready" on <html>, a pad key a
# <button data-digit="N">), then what the view in the making offers meanwhile (its section's
# data-view="work", its keys #pr-key-N, its point's gaps #pr-gap-C and cells #pr-cell-I).
PRACTICE_HOOKS = """
window.tavreloHooks = {
  ready: () => document.documentElement.dataset.practice === "ready" ? "data-practice"
    : (document.getElementById("practice") || {dataset: {}}).dataset.view === "work" ? "#practice[data-view=work]" : null,
  key: (d) => document.querySelector('button[data-digit="' + d + '"]') || document.getElementById("pr-key-" + d),
  problem: () => document.documentElement.dataset.problem || (document.getElementById("practice") || {dataset: {}}).dataset.problem,
};"""

# A pupil's right answers to the problem on screen, from the module's figure of it, the last one
# timed to the next problem painted; -1 where the view offers no way to give them.
FINISH_PROBLEM = """
const done = arguments[arguments.length - 1];
const h = window.tavreloHooks, before = h.problem();
const figure = JSON.parse(arguments[0]).figures.find((f) => String(f.problem) === String(before));
if (!figure) { done(-1); return; }
const taps = figure.cells.map((c) => () => h.key(c.digit));
if (figure.point.column !== null) taps.push(() => document.getElementById("pr-gap-" + figure.point.column));
figure.cells.forEach((c, i) => { if (c.strike) taps.push(() => document.getElementById("pr-cell-" + i)); });
for (const tap of taps.slice(0, -1)) {
  const target = tap();
  if (!target) { done(-1); return; }
  target.click();
}
const last = taps[taps.length - 1]();
if (!last) { done(-1); return; }
const started = performance.now();
last.click();
const wait = () => h.problem() !== before && h.ready()
  ? requestAnimationFrame(() => setTimeout(() => done(performance.now() - started), 0))
  : performance.now() - started > 5000 ? done(-1) : setTimeout(wait, 0);
wait();"""

PRACTICE_TAP = """
const done = arguments[arguments.length - 1];
const target = window.tavreloHooks.key(arguments[0]);
if (!target) { done(-1); return; }
const started = performance.now();
target.click();
requestAnimationFrame(() => setTimeout(() => done(performance.now() - started), 0));"""


def wait_for(page, script, seconds=30):
    deadline = time.monotonic() + seconds
    while True:
        value = page.js(script)
        if value is not None or time.monotonic() > deadline:
            return value
        time.sleep(0.02)


def practice_start(page, fresh=False):
    """Opens a practice link, a name typed where the view asks for one: (the hook that said the
    problem was ready, the milliseconds to the name's prompt or None, to the problem ready: from
    the link, or from the name entered), or None where no problem came."""
    page.open("seed=1&mode=practice", fresh=fresh)
    if wait_for(page, "return window.tavreloBench.statePainted") is None:
        return None
    hook = wait_for(page, "return window.tavreloHooks.ready()", 0.5)
    if hook is not None:
        return hook, None, wait_for(page, "const b = window.tavreloBench;"
                                          "return b.practicePainted || b.workPainted || null")
    entered = page.js("""
        const input = document.querySelector('#practice input[type=text]');
        if (!input) return null;
        input.value = 'bench';
        window.tavreloBench.practice = window.tavreloBench.work = undefined;
        const started = performance.now();
        input.dispatchEvent(new KeyboardEvent('keydown', {key: 'Enter', bubbles: true}));
        return started;""")
    if entered is None:
        return None
    painted = wait_for(page, "const b = window.tavreloBench; return b.practicePainted || b.workPainted || null", 5)
    if painted is None:
        return None
    return page.js("return window.tavreloHooks.ready()"), page.js("return window.tavreloBench.statePainted"), painted - entered


def modes(page_path, practice_path, slowdown):
    """The modes a link opens, in Chromium slowed down `slowdown` times: the practice view as
    `practice_path` has it (the page of whoever is writing it), the showing as `page_path` has it."""
    browser.HTML = practice_path
    session = Chromium(slowdown)
    try:
        practice_figures(session, slowdown)
    finally:
        session.close()
    show_figures(page_path, slowdown)


def practice_figures(session, slowdown):
    """The practice view's figures, in a browser of its own (a new profile: nothing stored)."""
    session.cdp("Page.addScriptToEvaluateOnNewDocument", {"source": MODE_MOMENTS + PRACTICE_HOOKS})
    opened, named, hook = [], [], None
    for _ in range(5):
        start = practice_start(session.page)
        if start is None:
            break
        hook, name_ms, open_ms = start
        opened.append(open_ms)
        if name_ms is not None:
            named.append(name_ms)
    if named:
        report("practice-name", slowdown, median(named), extra="  (median of %d)" % len(named))
    if not opened:
        print("  %-62s not measured: the view never showed a problem" % TITLES["practice-open"])
        return
    report("practice-open", slowdown, median(opened), extra="  (median of %d%s; ready by %s)"
           % (len(opened), ", from the name entered" if named else "", hook))
    taps = [session.page.driver.execute_async_script(PRACTICE_TAP, k % 10) for k in range(20)]
    if min(taps) < 0:
        print("  %-62s not measured: no pad key" % TITLES["practice-tap"])
    else:
        report("practice-tap", slowdown, median(taps), extra="  (median of 20, click to painted frame)")
    answer = session.page.js_async("const [q, done] = arguments; window.tavreloModule.then("
                                   "m => done(m.cwrap('tavrelo_practice', 'string', ['string'])(q)));", "seed=1")
    nexts = []
    for _ in range(5):
        if practice_start(session.page, fresh=True) is None:
            break
        nexts.append(session.page.driver.execute_async_script(FINISH_PROBLEM, answer))
    if not nexts or min(nexts) < 0:
        print("  %-62s not measured: the problem could not be finished from here" % TITLES["practice-next"])
    else:
        report("practice-next", slowdown, median(nexts),
               extra="  (median of %d, the last right tap of a problem to the next painted)" % len(nexts))


def show_figures(page_path, slowdown):
    browser.HTML = page_path
    session = Chromium(slowdown)
    try:
        session.cdp("Page.addScriptToEvaluateOnNewDocument", {"source": MODE_MOMENTS})
        opened, modules = [], []
        for _ in range(5):
            session.page.open("preset=g4-tenths-x-2digit&seed=42&mode=show", fresh=False)
            opened.append(wait_for(session.page, "return window.tavreloBench.showPainted"))
            modules.append(session.page.js("return window.tavreloTimings.ready"))
        report("show-open", slowdown, median(opened), extra="  (median of 5; the module ready at %.0f ms)" % median(modules))
        # The floor: a key the page does nothing with, to the next frame.
        idle = [session.page.driver.execute_async_script(KEY_TO_FRAME, "F13")[0] for _ in range(30)]
        print("  %-62s %8.1f ms  (median of 30: waiting for the frame alone)" % ("a key the page ignores, to the next frame", median(idle)))
        for key, count, name in (("ArrowRight", 30, "show-step"), ("PageDown", 10, "show-next")):
            samples = [session.page.driver.execute_async_script(KEY_TO_FRAME, key) for _ in range(count)]
            frames, handlers, drawing = zip(*samples)
            report(name, slowdown, median(frames), extra="  (median of %d, keydown to painted frame, slowest %.1f;"
                   " the handler %.1f ms, the frame's drawing %.1f ms)"
                   % (count, max(frames), median(handlers), median(drawing)))
    finally:
        session.close()


SLOWED = {"chromium": Chromium}
SLOWDOWNS = [1, 6]


def median(samples):
    return statistics.median(samples)


def report(key, slowdown, value, unit="ms", extra="", engine=None):
    goal = ENGINE_GOALS.get((engine, key), GOALS[key].get(slowdown))
    verdict = ""
    if goal is not None:
        verdict = "   (goal at most %d %s: %s)" % (goal, unit, "met" if value <= goal else "NOT MET")
    print("  %-62s %8.1f %s%s%s" % (TITLES[key], value, unit, extra, verdict))


def measure(engine, slowdown):
    # A new browser for the first open: nothing of the page compiled or cached yet.
    first = engine(slowdown)
    try:
        cold, _ = first.open("seed=1&sheets=1")
    finally:
        first.close()
    session = engine(slowdown)
    try:
        opened = [session.open("seed=1&sheets=1") for _ in range(5)]
        report("open", slowdown, median([shown for shown, _ in opened]),
               extra="  (median of 5, painted; in the document at %.0f ms; first open in a new browser %.0f ms)"
               % (median([drawn for _, drawn in opened]), cold))

        session.page.set("seed", "")
        previews = []
        for _ in range(20):
            session.page.press("btnPreview")
            previews.append(session.last_draw())
        report("preview", slowdown, median(previews), extra="  (median of 20, the drawing alone)")

        session.page.set("sheets", "100")
        hundred = [session.click_to_frame("btnPreview") for _ in range(3)]
        report("hundred", slowdown, median(hundred), extra="  (median of 3, click to painted frame)")

        printed, pages = session.print_pdf()
        report("print", slowdown, printed, extra="  (%d pages)" % pages)
        nodes, heap = session.memory()
        print("  %-62s %8d nodes, JS heap %.1f MB" % ("the page's memory with 100 sheets", nodes, heap / 1e6))
    finally:
        session.close()


def engine_figures(engine):
    """The figures of an engine that cannot be slowed down from here (WebKitGTK, firefox-esr)."""
    browser.ENGINE = engine
    page = browser.Page()
    try:
        opened = []
        for _ in range(5):
            page.open("seed=1&sheets=1")
            opened.append(page.js("return window.tavreloTimings.firstDraw"))
        report("open", 1, median(opened), extra="  (median of 5, sheets in the document)")

        page.open("seed=1&sheets=1")
        page.set("seed", "")
        previews = []
        for _ in range(20):
            page.press("btnPreview")
            previews.append(page.js("return window.tavreloTimings.lastDraw"))
        report("preview", 1, median(previews), extra="  (median of 20, the drawing alone)")

        page.set("sheets", "100")
        hundred = []
        for _ in range(3):
            page.press("btnPreview")
            hundred.append(page.js("return window.tavreloTimings.lastDraw"))
        report("hundred", 1, median(hundred), extra="  (median of 3, the drawing alone)")

        with tempfile.TemporaryDirectory() as folder:
            started = time.perf_counter()
            path = page.print_pdf(os.path.join(folder, "hundred.pdf"))
            printed = (time.perf_counter() - started) * 1000
            info = subprocess.run(["pdfinfo", path], check=True, capture_output=True, text=True).stdout
        pages = next(int(line.split()[-1]) for line in info.splitlines() if line.startswith("Pages:"))
        how = {"webkit": "WebKitGTK's print operation in a view of its own: opened, drawn, printed"}
        report("print", 1, printed, extra="  (%d pages; %s)" % (pages, how.get(engine, "the page as it stands")),
               engine=engine)
    finally:
        page.close()


def sheets_ms(exe, sheets, runs):
    samples = []
    with tempfile.TemporaryDirectory() as folder:
        for _ in range(runs):
            started = time.perf_counter()
            subprocess.run([exe, "-q", "--seed", "1", "--sheets", str(sheets), "-o", os.path.join(folder, "x.pdf")],
                           check=True, env=dict(os.environ, QT_QPA_PLATFORM="offscreen"), capture_output=True)
            samples.append((time.perf_counter() - started) * 1000)
    return median(samples)


def main():
    page_path, exe = sys.argv[1], sys.argv[2]
    if os.environ.get("TAVRELO_BENCH") == "modes":
        # The modes alone, the practice view from TAVRELO_PRACTICE_HTML if given; TAVRELO_SLOWDOWNS
        # to name fewer slowdowns ("6").
        for slowdown in [int(n) for n in os.environ.get("TAVRELO_SLOWDOWNS", "1 6").split()]:
            print("chromium, processor %s, the modes:" % ("as it is" if slowdown == 1 else "slowed down %dx" % slowdown))
            modes(page_path, os.environ.get("TAVRELO_PRACTICE_HTML", page_path), slowdown)
        return
    browser.HTML = page_path
    size = os.path.getsize(page_path)
    print("tavrelo.html: %d bytes (%.2f MB)   (goal at most 1.5 MB)" % (size, size / 1e6))
    for engine in os.environ.get("TAVRELO_ENGINES", "chromium webkit firefox").split():
        missing = browser.missing_for(engine)
        if missing:
            print("%s: not measured, not installed: %s" % (engine, ", ".join(missing)))
            continue
        if engine not in SLOWED:
            print(engine + ":")
            engine_figures(engine)
            continue
        for slowdown in SLOWDOWNS:
            print("%s, processor %s:" % (engine, "as it is" if slowdown == 1 else "slowed down %dx" % slowdown))
            measure(SLOWED[engine], slowdown)
            if engine == "chromium":
                modes(page_path, page_path, slowdown)
    print("beside it, tavrelo-sheets writing the same as PDF: 1 sheet %.0f ms, 100 sheets %.0f ms"
          % (sheets_ms(exe, 1, 10), sheets_ms(exe, 100, 5)))


if __name__ == "__main__":
    main()
