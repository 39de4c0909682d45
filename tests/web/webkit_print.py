"""Opens the page in WebKitGTK itself and prints it as the print dialog's "Print to File" would,
since WebKitWebDriver has no Print command; on the way it reports the console's messages.

  webkit_print.py URL [--pdf PATH] [--preview] [--script FILE [--until EXPR]]

URL is the page's address with its fragment. The page is drawn when its document says so
(data-state); --preview then presses Preview once more and waits for that draw. --script then
runs FILE's JavaScript in the page, to bring it where a pupil's taps took the page being tested
(which this view cannot print), and waits until the expression EXPR is true. Each console
message comes out as WebKit writes it (a line "CONSOLE ..."); the last line on stdout is a
JSON summary.
The paper is the one the page asks for (its @page rule), with no margins of the printer's own,
so that the page's CSS alone decides where a sheet goes.
"""
import json
import re
import sys
import time

import gi

gi.require_version("Gtk", "3.0")
gi.require_version("WebKit2", "4.1")
from gi.repository import GLib, Gtk, WebKit2  # noqa: E402

MM_PER = {"mm": 1.0, "cm": 10.0, "in": 25.4, "pt": 25.4 / 72, "px": 25.4 / 96}
# The papers an @page rule may name (CSS Paged Media), portrait, in millimetres.
NAMED_MM = {"a5": (148, 210), "a4": (210, 297), "a3": (297, 420), "b5": (176, 250), "b4": (250, 353),
            "jis-b5": (182, 257), "jis-b4": (257, 364), "letter": (215.9, 279.4), "legal": (215.9, 355.6),
            "ledger": (279.4, 431.8)}


class Run:
    def __init__(self, url, pdf, preview, script=None, until=None):
        self.url, self.pdf, self.preview, self.script, self.condition = url, pdf, preview, script, until
        self.summary = {"state": None, "draws": None, "paper_mm": None, "printed": None, "error": None}
        self.window = Gtk.OffscreenWindow()
        self.window.set_default_size(1366, 768)
        self.view = WebKit2.WebView()
        settings = self.view.get_settings()
        settings.set_property("enable-write-console-messages-to-stdout", True)
        self.window.add(self.view)
        self.window.show_all()

    # --- the page's script, from outside it (not eval inside the page: the policy does not apply)

    def js(self, script, seconds=60):
        answer = {}
        loop = GLib.MainLoop()

        def finished(view, result):
            try:
                value = view.evaluate_javascript_finish(result)
                answer["value"] = value.to_string() if not value.is_undefined() else None
            except GLib.Error as error:
                answer["error"] = error.message
            loop.quit()

        self.view.evaluate_javascript(script, -1, None, None, None, finished)
        GLib.timeout_add(int(seconds * 1000), loop.quit)
        loop.run()
        if "error" in answer:
            raise RuntimeError(answer["error"])
        return answer.get("value")

    def until(self, script, seconds=60):
        """Polls the page until `script` gives "true"."""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            try:
                if self.js(script) == "true":
                    return True
            except RuntimeError:
                pass  # between documents
            self.pause(0.05)
        return False

    @staticmethod
    def pause(seconds):
        loop = GLib.MainLoop()
        GLib.timeout_add(int(seconds * 1000), loop.quit)
        loop.run()

    # --- the run

    def open(self):
        self.view.load_uri(self.url)
        # Until then the view may still show the empty document it started with.
        if not self.until("['ready', 'drawn', 'error'].includes(document.documentElement.dataset.state)"):
            raise RuntimeError("the page did not finish loading")
        if self.preview:
            before = int(self.js("document.documentElement.dataset.draws"))
            self.js("document.getElementById('btnPreview').click(); 0")
            if not self.until("Number(document.documentElement.dataset.draws) > %d" % before):
                raise RuntimeError("Preview drew nothing")
        if self.script is not None:
            self.js(self.script + "\n;null")
            if self.condition and not self.until(self.condition):
                raise RuntimeError("after the script, never true: " + self.condition)
        self.summary["state"] = self.js("document.documentElement.dataset.state")
        self.summary["draws"] = int(self.js("document.documentElement.dataset.draws"))

    def paper(self):
        """The paper the page's @page rule asks for, in millimetres."""
        rule = self.js("document.getElementById('page-size').textContent")
        named = re.search(r"size:\s*([\w-]+)\s*(landscape)?\s*[;}]", rule or "")
        if named and named.group(1).lower() in NAMED_MM:
            width, height = NAMED_MM[named.group(1).lower()]
            return (height, width) if named.group(2) else (width, height)
        match = re.search(r"size:\s*([\d.]+)(mm|cm|in|pt|px)\s+([\d.]+)(mm|cm|in|pt|px)", rule or "")
        if not match:
            raise RuntimeError("no paper size in the page's @page rule: %r" % rule)
        width = float(match.group(1)) * MM_PER[match.group(2)]
        height = float(match.group(3)) * MM_PER[match.group(4)]
        return width, height

    def print_pdf(self):
        width, height = self.paper()
        self.summary["paper_mm"] = [width, height]
        setup = Gtk.PageSetup()
        setup.set_paper_size(Gtk.PaperSize.new_custom("tavrelo", "tavrelo", width, height, Gtk.Unit.MM))
        setup.set_orientation(Gtk.PageOrientation.PORTRAIT)
        for side in ("top", "bottom", "left", "right"):
            getattr(setup, "set_%s_margin" % side)(0, Gtk.Unit.MM)
        settings = Gtk.PrintSettings()
        # GTK names its file printer in the desktop's language ("ファイルに出力する" in Japanese);
        # a name it does not know would leave the operation waiting for that printer for ever.
        settings.set_printer(GLib.dgettext("gtk30", "Print to File"))
        settings.set(Gtk.PRINT_SETTINGS_OUTPUT_FILE_FORMAT, "pdf")
        settings.set(Gtk.PRINT_SETTINGS_OUTPUT_URI, GLib.filename_to_uri(self.pdf, None))
        operation = WebKit2.PrintOperation.new(self.view)
        operation.set_page_setup(setup)
        operation.set_print_settings(settings)
        loop = GLib.MainLoop()
        outcome = {}

        def failed(_, error):
            outcome["error"] = error.message

        def finished(_):
            outcome["finished"] = True
            loop.quit()

        operation.connect("failed", failed)
        operation.connect("finished", finished)
        operation.print_()
        GLib.timeout_add(300 * 1000, loop.quit)
        loop.run()
        if "error" in outcome:
            raise RuntimeError("printing failed: " + outcome["error"])
        if "finished" not in outcome:
            raise RuntimeError("printing did not finish in 300 s")
        self.summary["printed"] = self.pdf


def main():
    args = sys.argv[1:]
    url = args[0]
    pdf = args[args.index("--pdf") + 1] if "--pdf" in args else None
    script = None
    if "--script" in args:
        with open(args[args.index("--script") + 1], encoding="utf-8") as source:
            script = source.read()
    until = args[args.index("--until") + 1] if "--until" in args else None
    run = Run(url, pdf, "--preview" in args, script, until)
    status = 0
    try:
        run.open()
        if pdf:
            run.print_pdf()
    except RuntimeError as error:
        run.summary["error"] = str(error)
        status = 1
    sys.stdout.flush()
    print(json.dumps(run.summary), flush=True)
    return status


if __name__ == "__main__":
    sys.exit(main())
