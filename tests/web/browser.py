"""Drives build/web/tavrelo.html in Debian's chromium, headless, through chromedriver.

The page is opened from file:// as a teacher opens it from a USB stick. Tests wait for what the
page says it has done (its data-state and data-draws), never for a fixed time.
"""
import base64
import os
import shutil
import subprocess
import sys
import tempfile
import unittest
import urllib.parse

HTML = os.environ.get("TAVRELO_HTML", "")
SHEETS = os.environ.get("TAVRELO_SHEETS", "")
CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"

try:
    from selenium import webdriver
    from selenium.common.exceptions import TimeoutException
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
    from selenium.webdriver.support.ui import WebDriverWait
except ImportError:  # reported by require_browser()
    webdriver = None


def require_browser():
    """Skips the whole run, with the reason, where no browser can be had; never in CI."""
    missing = [p for p in (CHROMIUM, CHROMEDRIVER) if not os.path.exists(p)]
    if webdriver is None:
        missing.append("python3-selenium")
    if not missing:
        return
    message = "browser tests skipped: not installed: " + ", ".join(missing)
    if os.environ.get("TAVRELO_REQUIRE_BROWSER") == "1":
        print(message + " (TAVRELO_REQUIRE_BROWSER=1: failing)", file=sys.stderr)
        sys.exit(1)
    print(message, file=sys.stderr)
    sys.exit(77)


class Page:
    """One headless chromium with the page open."""

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
        self.driver = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)
        self.driver.set_script_timeout(120)

    def close(self):
        try:
            self.driver.quit()
        finally:
            shutil.rmtree(self.profile, ignore_errors=True)

    # --- opening and waiting

    def open(self, fragment="", fresh=True):
        """Opens the page anew; `fresh`: as on a first visit, with no settings remembered."""
        url = "file://" + os.path.abspath(HTML) + ("#" + fragment if fragment else "")
        if fresh:
            self.driver.get("file://" + os.path.abspath(HTML))
            self.js("localStorage.clear();")
        # A new document each time: the same file with another fragment would only change the hash.
        self.driver.get("about:blank")
        self.driver.get(url)
        self.wait(lambda d: d.execute_script("return document.documentElement.dataset.state") != "loading", 60)

    def state(self):
        return self.js("return document.documentElement.dataset.state")

    def draws(self):
        return int(self.js("return document.documentElement.dataset.draws"))

    def wait(self, condition, seconds=60):
        WebDriverWait(self.driver, seconds, poll_frequency=0.05).until(condition)

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def element(self, element_id):
        return self.driver.find_element(By.ID, element_id)

    # --- the fields

    def set(self, element_id, value):
        """Types a value as a teacher would: the field emptied, the value typed, the field left."""
        field = self.element(element_id)
        tag = field.tag_name.lower()
        if tag == "select":
            self.js("arguments[0].value = arguments[1];"
                    "arguments[0].dispatchEvent(new Event('change', {bubbles: true}));", field, value)
            return
        # Selected and typed over: clearing first would leave the field, and a digit field left
        # blank turns into "0" at once.
        self.js("arguments[0].focus(); arguments[0].select();", field)
        field.send_keys(value if value else Keys.BACKSPACE)
        self.js("arguments[0].blur();", field)

    def value(self, element_id):
        return self.element(element_id).get_attribute("value")

    def press(self, element_id):
        """Presses a button and waits until the page has answered (drawn or refused)."""
        before = self.draws()
        self.js("document.documentElement.dataset.state = 'busy';")
        self.element(element_id).click()
        self.wait(lambda d: self.state() in ("drawn", "error") and (self.state() == "error" or self.draws() > before))
        return self.state()

    def error(self, element_id):
        return self.element("err-" + element_id).text

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

    def print_pdf(self, path):
        """The page printed as the print dialog's "PDF に保存" would, through DevTools."""
        result = self.driver.execute_cdp_cmd("Page.printToPDF", {
            "printBackground": False, "preferCSSPageSize": True, "displayHeaderFooter": False})
        with open(path, "wb") as out:
            out.write(base64.b64decode(result["data"]))
        return path


def pdf_pages(path):
    """The text of each page of a PDF (pdftotext, physical layout), in order."""
    text = subprocess.run(["pdftotext", "-layout", path, "-"], check=True, capture_output=True,
                          text=True).stdout
    pages = text.split("\f")
    if pages and not pages[-1].strip():
        pages.pop()
    return pages


def sheets_pdf(arguments, path):
    """tavrelo-sheets with these arguments into `path`; its status."""
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
