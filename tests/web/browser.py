"""Drives build/web/tavrelo.html in one of the three engines of school devices, headless:
TAVRELO_ENGINE=chromium (the default; Chromebooks, Edge), webkit (iPads) or firefox.

The page is opened from file:// as a teacher opens it from a USB stick. Tests wait for what the
page says it has done (its data-state and data-draws), never for a fixed time. They reach the page
through Page's methods only, by element ids and plain values, so the same bodies run in each engine:
  chromium  selenium + chromedriver; printed through DevTools' Page.printToPDF
  webkit    selenium + WebKitWebDriver driving MiniBrowser under X (a private Xvfb when there is
            no DISPLAY); printed by webkit_print.py, WebKitGTK's own print operation
  firefox   firefox-esr through firefox_bridge.mjs (puppeteer-core over WebDriver BiDi)
"""
import atexit
import base64
import glob
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.parse
import warnings

HERE = os.path.dirname(os.path.abspath(__file__))
HTML = os.environ.get("TAVRELO_HTML", "")
SHEETS = os.environ.get("TAVRELO_SHEETS", "")
ENGINE = os.environ.get("TAVRELO_ENGINE", "chromium")
CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"
WEBKIT_DRIVER = "/usr/bin/WebKitWebDriver"
FIREFOX = "/usr/bin/firefox-esr"
# Where make test installs puppeteer-core (npm ci from tests/web's package lock).
NODE_MODULES = os.environ.get("TAVRELO_NODE_MODULES",
                              os.path.join(HERE, "..", "..", "build", "node", "node_modules"))

# Debian 12's selenium warns of its own use of desired capabilities when WebKitGTK starts.
warnings.filterwarnings("ignore", "desired_capabilities has been deprecated", DeprecationWarning)

try:
    from selenium import webdriver
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
except ImportError:  # reported by require_browser()
    webdriver = None


def mini_browser():
    """WebKitGTK's MiniBrowser, in this architecture's library folder (x86-64, arm64, ...)."""
    try:
        triplet = subprocess.run(["dpkg-architecture", "-qDEB_HOST_MULTIARCH"], capture_output=True,
                                 text=True).stdout.strip()
    except OSError:
        triplet = ""
    candidates = ["/usr/lib/%s/webkit2gtk-4.1/MiniBrowser" % triplet] if triplet else []
    candidates += sorted(glob.glob("/usr/lib/*/webkit2gtk-4.1/MiniBrowser"))
    return next((c for c in candidates if os.path.exists(c)), "MiniBrowser (webkit2gtk-driver)")


def webkit_print_missing():
    """What webkit_print.py needs and does not have: python3-gi with Gtk 3 and WebKit2 4.1."""
    check = "import gi; gi.require_version('Gtk', '3.0'); gi.require_version('WebKit2', '4.1')"
    run = subprocess.run([sys.executable, "-c", check], capture_output=True)
    return [] if run.returncode == 0 else ["python3-gi gir1.2-webkit2-4.1"]


def missing_for(engine):
    if engine == "chromium":
        missing = [p for p in (CHROMIUM, CHROMEDRIVER) if not os.path.exists(p)]
        return missing + ([] if webdriver else ["python3-selenium"])
    if engine == "webkit":
        missing = [p for p in (WEBKIT_DRIVER, mini_browser()) if not os.path.exists(p)]
        if not os.environ.get("DISPLAY") and not shutil.which("Xvfb"):
            missing.append("Xvfb (no DISPLAY)")
        return missing + ([] if webdriver else ["python3-selenium"]) + webkit_print_missing()
    if engine == "firefox":
        missing = [p for p in (FIREFOX,) if not os.path.exists(p)]
        if not shutil.which("node"):
            missing.append("node")
        if not os.path.isdir(os.path.join(NODE_MODULES, "puppeteer-core")):
            missing.append("puppeteer-core in %s (make test installs it)" % os.path.normpath(NODE_MODULES))
        return missing
    raise ValueError("TAVRELO_ENGINE=%r: no such engine (chromium, webkit or firefox)" % engine)


def require_browser():
    """Skips the whole run, with the reason, where the engine cannot be had; never in CI."""
    try:
        missing = missing_for(ENGINE)
    except ValueError as error:
        print(error, file=sys.stderr)
        sys.exit(1)
    if not missing:
        return
    message = "browser tests (%s) skipped: not installed: %s" % (ENGINE, ", ".join(missing))
    if os.environ.get("TAVRELO_REQUIRE_BROWSER") == "1":
        print(message + " (TAVRELO_REQUIRE_BROWSER=1: failing)", file=sys.stderr)
        sys.exit(1)
    print(message, file=sys.stderr)
    sys.exit(77)


_display = {}


def end_with_parent():
    """In the child: ends it when the tests end, even when they are killed (a ctest time-out)."""
    import ctypes
    import signal
    ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG


def x_display():
    """The X display WebKit runs on: the session's, or a private Xvfb started once, ended at exit."""
    if os.environ.get("DISPLAY"):
        return os.environ["DISPLAY"]
    if "name" not in _display:
        read, write = os.pipe()
        # -displayfd: Xvfb itself picks a free display number and tells it.
        server = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1920x1200x24", "-nolisten", "tcp"],
                                  pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                  preexec_fn=end_with_parent)
        os.close(write)
        with os.fdopen(read) as answer:
            number = answer.readline().strip()
        if not number:
            server.kill()
            raise RuntimeError("Xvfb did not start")
        _display.update(name=":" + number, server=server)
        atexit.register(lambda: (server.terminate(), server.wait()))
    return _display["name"]


KEYS = {"Tab": "TAB", "Enter": "ENTER", "Backspace": "BACKSPACE", "ArrowLeft": "ARROW_LEFT", "ArrowRight": "ARROW_RIGHT"}


class BasePage:
    """One browser with the page open. The engine's classes give js, js_async, click, type, key,
    print_pdf, console and close; all else is the page's own, the same in every engine."""

    engine = None

    # --- opening and waiting

    def open(self, fragment="", fresh=True):
        """Opens the page anew; `fresh`: as on a first visit, with no settings remembered."""
        url = self.url(fragment)
        if fresh:
            self.goto(self.url(""))
            self.js("localStorage.clear();")
        # A new document each time: the same file with another fragment would only change the hash.
        self.goto("about:blank")
        self.console()  # what is said from now on is this document's
        self.goto(url)
        self.wait(lambda: self.js("return document.documentElement.dataset.state") in ("ready", "drawn", "error"), 60)

    @staticmethod
    def url(fragment):
        return "file://" + os.path.abspath(HTML) + ("#" + fragment if fragment else "")

    def state(self):
        return self.js("return document.documentElement.dataset.state")

    def draws(self):
        return int(self.js("return document.documentElement.dataset.draws"))

    def wait(self, condition, seconds=60):
        deadline = time.monotonic() + seconds
        while not condition():
            if time.monotonic() > deadline:
                raise AssertionError("%s: the page did not get there in %d s" % (self.engine, seconds))
            time.sleep(0.05)

    # --- the fields, by id

    def text(self, element_id):
        return self.js("return document.getElementById(arguments[0]).innerText", element_id)

    def value(self, element_id):
        return self.js("return document.getElementById(arguments[0]).value", element_id)

    def attribute(self, element_id, name):
        return self.js("return document.getElementById(arguments[0]).getAttribute(arguments[1])", element_id, name)

    def selected(self, element_id):
        return self.js("return document.getElementById(arguments[0]).checked", element_id)

    def set(self, element_id, value):
        """Types a value as a teacher would: the field emptied, the value typed, the field left."""
        if self.js("return document.getElementById(arguments[0]).tagName", element_id) == "SELECT":
            self.js("const e = document.getElementById(arguments[0]); e.value = arguments[1];"
                    "e.dispatchEvent(new Event('change', {bubbles: true}));", element_id, value)
            return
        # Selected and typed over: clearing first would leave the field, and a digit field left
        # blank turns into "0" at once.
        self.js("const e = document.getElementById(arguments[0]); e.focus(); e.select();", element_id)
        if value:
            self.type(value)
        else:
            self.key("Backspace")
        self.js("document.getElementById(arguments[0]).blur();", element_id)

    def press(self, element_id):
        """Presses a button and waits until the page has answered (drawn or refused)."""
        before = self.draws()
        self.js("document.documentElement.dataset.state = 'busy';")
        self.click(element_id)
        self.wait(lambda: self.state() in ("drawn", "error") and (self.state() == "error" or self.draws() > before))
        return self.state()

    def error(self, element_id):
        return self.text("err-" + element_id)

    def dialog(self):
        return self.js("const d = document.getElementById('dialog');"
                       "return d.open ? [document.getElementById('dialogTitle').textContent,"
                       "document.getElementById('dialogText').textContent] : null;")

    def close_dialog(self):
        self.js("const d = document.getElementById('dialog'); if (d.open) d.close();")

    # --- what the sheets say

    def sheets(self):
        """Each page in order: (sheet, answers, number, [texts of the SVG in drawing order])."""
        return self.js("""
            return Array.from(document.querySelectorAll('#sheets-area section.sheet')).map(s => [
              Number(s.dataset.sheet), s.dataset.answers === 'true', Number(s.dataset.number),
              Array.from(s.querySelectorAll('svg text')).map(t => t.textContent)]);""")

    def fragment(self):
        return urllib.parse.unquote(self.js("return location.hash").lstrip("#"))

    def console_errors(self, fragment="", preview=False):
        """The console's errors (a refused load included) while the page opens at `fragment` and,
        with `preview`, while Preview draws once more."""
        self.open(fragment)
        said = self.console()
        if preview:
            self.press("btnPreview")
            said += self.console()
        return [shortened(m) for m in said]


def shortened(message):
    """A message without the middle of the inlined module's data: address it may quote."""
    return message if len(message) <= 400 else message[:150] + " ... " + message[-250:]


class SeleniumPage(BasePage):
    def goto(self, url):
        self.driver.get(url)

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def js_async(self, script, *args):
        """`script` ends by calling its last argument with the answer."""
        return self.driver.execute_async_script(script, *args)

    def click(self, element_id):
        self.driver.find_element(By.ID, element_id).click()

    def type(self, text):
        self.driver.switch_to.active_element.send_keys(text)

    def key(self, name):
        self.driver.switch_to.active_element.send_keys(getattr(Keys, KEYS[name]))


class ChromiumPage(SeleniumPage):
    engine = "chromium"

    def __init__(self, width=1366, height=768, offline=False):
        self.profile = tempfile.mkdtemp(prefix="tavrelo-chromium-")
        options = webdriver.ChromeOptions()
        options.binary_location = CHROMIUM
        for flag in ("--headless=new", "--disable-gpu", "--disable-background-networking",
                     "--disable-component-update", "--disable-sync", "--no-first-run",
                     "--disable-dev-shm-usage", "--user-data-dir=" + self.profile,
                     "--window-size=%d,%d" % (width, height), "--lang=ja"):
            options.add_argument(flag)
        # Root (CI) and a chroot (the Debian 13 check) both stop chromium's own sandbox from
        # starting; the page is the project's own file, opened offline.
        options.add_argument("--no-sandbox")
        if offline:
            # Every request to the network goes to a port nobody listens on.
            options.add_argument("--proxy-server=127.0.0.1:9")
            options.add_argument("--proxy-bypass-list=<-loopback>")
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        from selenium.webdriver.chrome.service import Service
        self.driver = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)
        self.driver.set_script_timeout(120)

    def close(self):
        try:
            self.driver.quit()
        finally:
            shutil.rmtree(self.profile, ignore_errors=True)

    def console(self):
        return [e["message"] for e in self.driver.get_log("browser") if e["level"] == "SEVERE"]

    def print_pdf(self, path, replay=None):
        """The page printed as the print dialog's "PDF に保存" would, through DevTools. `replay`:
        see WebKitPage.print_pdf (here the document itself is printed)."""
        result = self.driver.execute_cdp_cmd("Page.printToPDF", {
            "printBackground": False, "preferCSSPageSize": True, "displayHeaderFooter": False})
        with open(path, "wb") as out:
            out.write(base64.b64decode(result["data"]))
        return path


class WebKitPage(SeleniumPage):
    engine = "webkit"

    def __init__(self, width=1366, height=768, offline=False):
        self.display = x_display()
        # MiniBrowser is WebKitWebDriver's child and takes its environment from here.
        os.environ["DISPLAY"] = self.display
        # In a Japanese locale GTK would pick the X input method, which turns the driver's made-up
        # key presses for shifted characters into unshifted ones ("<" arrives as ","); a teacher's
        # keyboard goes through a real input method.
        os.environ["GTK_IM_MODULE"] = "gtk-im-context-simple"
        options = webdriver.WebKitGTKOptions()
        options.binary_location = mini_browser()
        options.add_argument("--automation")
        if offline:
            # Every request to the network goes to a port nobody listens on.
            options.add_argument("--proxy=http://127.0.0.1:9")
        from selenium.webdriver.webkitgtk.service import Service
        try:
            self.driver = webdriver.WebKitGTK(options=options, service=Service(executable_path=WEBKIT_DRIVER))
        except TypeError:  # selenium before 4.10 (Debian 12's) takes the driver's path itself
            self.driver = webdriver.WebKitGTK(executable_path=WEBKIT_DRIVER, options=options)
        self.driver.set_script_timeout(120)
        self.driver.set_window_size(width, height)

    def close(self):
        self.driver.quit()

    def print_pdf(self, path, replay=None):
        """Printed by WebKitGTK itself, from the address the page shows (its run in the fragment).
        What the address alone does not bring back (a pupil's work) `replay` does: (a script that
        does it again in the printing view, an expression true once it is done)."""
        args = ["--pdf", os.path.abspath(path)]
        with tempfile.TemporaryDirectory() as folder:
            if replay:
                script = os.path.join(folder, "replay.js")
                with open(script, "w", encoding="utf-8") as out:
                    out.write(replay[0])
                args += ["--script", script, "--until", replay[1]]
            self.webkit_run(self.js("return location.href"), *args)
        return path

    def console(self):
        return []  # MiniBrowser's console is not reachable through WebKitWebDriver: see console_errors

    def console_errors(self, fragment="", preview=False):
        said = self.webkit_run(self.url(fragment), *(["--preview"] if preview else []))
        return [shortened(line) for line in said if " ERROR " in line]

    def webkit_run(self, url, *args):
        """webkit_print.py on `url`; the console lines it gave."""
        run = subprocess.run([sys.executable, os.path.join(HERE, "webkit_print.py"), url] + list(args),
                             env=dict(os.environ, DISPLAY=self.display), capture_output=True, text=True, timeout=600)
        summary = json.loads(run.stdout.strip().splitlines()[-1]) if run.stdout.strip() else {}
        if run.returncode != 0 or summary.get("error"):
            raise AssertionError("webkit_print.py: %s %s" % (summary.get("error"), run.stderr[-2000:]))
        return [line for line in (run.stdout + run.stderr).splitlines() if line.startswith("CONSOLE ")]


class FirefoxPage(BasePage):
    engine = "firefox"

    def __init__(self, width=1366, height=768, offline=False):
        command = ["node", os.path.join(HERE, "firefox_bridge.mjs"), os.path.abspath(NODE_MODULES),
                   "--firefox", FIREFOX, "--width", str(width), "--height", str(height)]
        if offline:
            command.append("--offline")
        self.bridge = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True,
                                       env=dict(os.environ, LANG="ja_JP.UTF-8"))

    def request(self, op, **fields):
        self.bridge.stdin.write(json.dumps(dict(op=op, **fields)) + "\n")
        self.bridge.stdin.flush()
        line = self.bridge.stdout.readline()
        if not line:
            raise AssertionError("firefox_bridge.mjs ended (%s)" % op)
        answer = json.loads(line)
        if not answer["ok"]:
            raise AssertionError("firefox %s: %s" % (op, answer["error"]))
        return answer["value"]

    def close(self):
        try:
            self.request("close")
            self.bridge.stdin.close()
            self.bridge.stdout.close()
            self.bridge.wait(30)
        except (AssertionError, OSError, subprocess.TimeoutExpired):
            self.bridge.kill()
            self.bridge.wait()

    def goto(self, url):
        self.request("goto", url=url)

    def js(self, script, *args):
        # An expression sent from outside: the page's policy forbids building functions inside it.
        return self.request("evaluate", expression="(function () { %s\n}).apply(null, %s)" % (script, json.dumps(args)))

    def js_async(self, script, *args):
        """`script` ends by calling its last argument with the answer."""
        return self.request("evaluate", expression="new Promise(function (done) { (function () { %s\n})"
                                                   ".apply(null, %s.concat([done])); })" % (script, json.dumps(args)))

    def click(self, element_id):
        self.request("click", id=element_id)

    def type(self, text):
        self.request("type", text=text)

    def key(self, name):
        self.request("key", key=name)

    def print_pdf(self, path, replay=None):
        self.request("pdf", path=os.path.abspath(path))
        return path

    def console(self):
        said = self.request("console", clear=True)
        return [m["text"] for m in said if m["type"] == "error" or "Content-Security-Policy" in m["text"]]


ENGINES = {"chromium": ChromiumPage, "webkit": WebKitPage, "firefox": FirefoxPage}


def Page(width=1366, height=768, offline=False):  # noqa: N802 (the tests' one name for any engine)
    return ENGINES[ENGINE](width, height, offline)


def pdf_pages(path):
    """The text of each page of a PDF (pdftotext, physical layout), in order."""
    text = subprocess.run(["pdftotext", "-layout", path, "-"], check=True, capture_output=True,
                          text=True).stdout
    pages = text.split("\f")
    if pages and not pages[-1].strip():
        pages.pop()
    return pages


def sheets_pdf(arguments, path):
    """tavrelo-sheets with these arguments (a list, or pairs of option and value) into `path`; its status."""
    arguments = list(arguments)
    if arguments and isinstance(arguments[0], tuple):
        arguments = [word for option, value in arguments for word in ("--" + option, value)]
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    return subprocess.run([SHEETS, "-q", "-o", path] + arguments, env=env, capture_output=True, text=True)


class PageTest(unittest.TestCase):
    """One browser for the whole class: chromium takes a second or two to start."""

    width, height, offline = 1366, 768, False

    @classmethod
    def setUpClass(cls):
        if not HTML or not os.path.exists(HTML):
            raise unittest.SkipTest("no " + (HTML or "TAVRELO_HTML") + ": run make web")
        cls.page = Page(cls.width, cls.height, cls.offline)

    @classmethod
    def tearDownClass(cls):
        cls.page.close()


def main():
    require_browser()
    if not HTML or not os.path.exists(HTML):
        print("no page to test: %r (make web builds it)" % HTML, file=sys.stderr)
        sys.exit(1)
    unittest.main(module="__main__", verbosity=2)
