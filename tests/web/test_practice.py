"""A pupil's practice of a printed sheet (mode=practice) in a real browser: worked by taps and by
the keyboard, each kind of mistake with the module's hint, kept over a reload, printed."""
import json
import os
import tempfile
import unittest

import browser
from browser import PageTest, pdf_pages, sheets_pdf
from test_page import problems_of

RUN = "seed=2024&sheets=2"


def module_call(page, name, query):
    """The module's own answer, asked from the page's document: what the page must agree with."""
    text = page.js_async("const done = arguments[arguments.length - 1];"
                         "window.tavreloModule.then(m => done(m.cwrap(arguments[0], 'string', ['string'])(arguments[1])));",
                         name, query)
    return json.loads(text)


# Clicks in the page's own script, for the problems a test only needs out of the way: the same
# handlers as a tap, without a round trip to the driver for each.
SOLVE = """
const f = arguments[0], wrongFirst = arguments[1];
// Once the figure is done the next one is drawn: nothing more is clicked.
const view = document.getElementById('practice'), problem = view.dataset.problem;
const click = (id) => { if (view.dataset.view !== 'work' || view.dataset.problem !== problem) return;
  const e = document.getElementById(id);
  e.dispatchEvent(new PointerEvent('pointerdown', {bubbles: true})); e.focus(); e.click(); };
f.cells.forEach((c, i) => { click('pr-cell-' + i); click('pr-key-' + c.digit); });
if (f.point.column !== null) click('pr-gap-' + f.point.column);
// Checked at the end, a 0 is chosen before a tap strikes it.
const struck = (i) => view.dataset.problem !== problem || document.getElementById('pr-cell-' + i).classList.contains('pr-struck');
f.cells.forEach((c, i) => { for (let n = 0; c.strike && n < 2 && !struck(i); ++n) click('pr-cell-' + i); });
if (document.getElementById('pr-check')) click('pr-check');
"""


class Practice(PageTest):
    def begin(self, query, name="たろう", fresh=True):
        self.page.open(query + "&mode=practice", fresh=fresh)
        self.page.js("document.getElementById('pr-name').value = arguments[0];", name)
        self.page.click("pr-start")
        self.page.wait(lambda: self.view() == "work")

    def view(self):
        return self.page.js("return document.getElementById('practice').dataset.view")

    def problem(self):
        return int(self.page.js("return document.getElementById('practice').dataset.problem"))

    def figures(self, query):
        answer = module_call(self.page, "tavrelo_practice", query)
        self.assertEqual(answer["errors"], [])
        return answer["figures"]

    def solve(self, figure):
        self.page.js(SOLVE, figure)

    def result(self):
        self.page.wait(lambda: self.view() == "result")
        return {
            "score": self.page.text("pr-score"),
            "name": self.page.text("pr-result-name"),
            "kinds": self.page.js("return Object.fromEntries(Array.from(document.querySelectorAll('#pr-kinds li[data-kind]'))"
                                  ".map(l => [l.dataset.kind, l.textContent]))"),
        }

    def test_a_sheet_worked_by_taps_on_cells_and_keys(self):
        self.begin(RUN)
        figures = self.figures(RUN)
        for figure in figures:
            self.assertEqual(self.problem(), figure["problem"])
            for i, cell in enumerate(figure["cells"]):
                self.page.click("pr-cell-%d" % i)
                self.page.click("pr-key-%d" % cell["digit"])
            if figure["point"]["column"] is not None:
                self.page.click("pr-gap-%d" % figure["point"]["column"])
            for i, cell in enumerate(figure["cells"]):
                if cell["strike"]:
                    self.page.click("pr-cell-%d" % i)
        result = self.result()
        self.assertIn("%d / %d" % (len(figures), len(figures)), result["score"])
        self.assertEqual(result["kinds"], {})

    def test_a_sheet_worked_by_the_keyboard_alone(self):
        query = RUN + "&practice=2"
        self.begin(query)
        figures = self.figures(query)
        for figure in figures:
            self.assertEqual(self.problem(), figure["problem"])
            point = figure["point"]["column"]
            for cell in figure["cells"]:
                if cell["line"] == -1 and cell["column"] == point:
                    self.page.type(".")
                self.page.type(str(cell["digit"]))
            struck = sorted(c["column"] for c in figure["cells"] if c["strike"])
            if struck:
                self.page.key("ArrowRight")  # nothing chosen: the product's first cell
                at = min(c["column"] for c in figure["cells"] if c["line"] == -1)
                for column in struck:
                    for _ in range(column - at):
                        self.page.key("ArrowLeft")
                    at = column
                    self.page.type("/")
        result = self.result()
        self.assertIn("%d / %d" % (len(figures), len(figures)), result["score"])

    def test_each_kind_of_mistake_gets_its_hint_and_is_counted(self):
        # (kind, how it is made): a digit in a cell of that source, the point, a strike, or at
        # the end with check=end. The cell and the digit are found by asking the module.
        cases = [
            ("partialCarryForgotten", "each", "cell"),
            ("partialDigit", "each", "cell"),
            ("additionCarryForgotten", "each", "cell"),
            ("additionDigit", "each", "cell"),
            ("zeroMissing", "each", "cell"),
            ("pointMisplaced", "each", "point"),
            ("valuedDigitStruck", "each", "strike"),
            ("blank", "end", "all"),
            ("zeroLeftUnstruck", "end", "all"),
            # Beside a row: its neighbouring digit (the row begun one column off), another digit,
            # and at the end the second row written without its shift.
            ("rowShifted", "each", "beside"),
            ("extraDigit", "each", "beside"),
            ("rowShifted", "end", "unshifted"),
        ]
        self.page.open(RUN + "&mode=practice")  # the module to ask
        for kind, check, how in cases:
            with self.subTest(kind=kind):
                found = self.find_mistake(kind, how)
                self.assertIsNotNone(found, "no sheet found with a %s" % kind)
                query, action = found
                query += "&check=" + check
                self.begin(query)
                figure = self.figures(query + "&problem=1")[0]
                if how == "cell":
                    cell, digit = action
                    for i in range(cell):
                        self.page.click("pr-cell-%d" % i)
                        self.page.click("pr-key-%d" % figure["cells"][i]["digit"])
                    self.page.click("pr-cell-%d" % cell)
                    self.page.click("pr-key-%d" % digit)
                    expected = module_call(self.page, "tavrelo_judge", query + "&problem=1&judge=cell&cell=%d&digit=%d" % (cell, digit))
                    self.assertIn("pr-wrong", self.page.attribute("pr-cell-%d" % cell, "class"))
                    self.assertEqual(self.page.text("pr-hint"), expected["hint"])
                    self.page.click("pr-key-%d" % figure["cells"][cell]["digit"])
                elif how == "point":
                    for i, c in enumerate(figure["cells"]):
                        self.page.click("pr-cell-%d" % i)
                        self.page.click("pr-key-%d" % c["digit"])
                    self.page.click("pr-gap-%d" % action)
                    expected = module_call(self.page, "tavrelo_judge", query + "&problem=1&judge=point&point=%d" % action)
                    self.assertEqual(self.page.text("pr-hint"), expected["hint"])
                elif how == "beside":
                    # The second row's right spare, or the first row's left one for a digit too many.
                    line = 1 if kind == "rowShifted" else 0
                    row = [c for c in figure["cells"] if c["line"] == line]
                    edge = min(row, key=lambda c: c["column"]) if line else max(row, key=lambda c: c["column"])
                    column = edge["column"] - 1 if line else edge["column"] + 1
                    digit = edge["digit"] if line else (row[-1]["digit"] + 1) % 10
                    if line == 0 and digit == edge["digit"]:
                        digit = (digit + 1) % 10
                    spare = "pr-spare-%d-%d" % (line, column)
                    self.page.click(spare)
                    self.page.click("pr-key-%d" % digit)
                    expected = module_call(self.page, "tavrelo_judge", query + "&problem=1&judge=stray&line=%d&column=%d&digit=%d"
                                           % (line, column, digit))
                    self.assertEqual(expected["mistake"], kind)
                    self.assertIn("pr-wrong", self.page.attribute(spare, "class"))
                    self.assertEqual(self.page.text("pr-hint"), expected["hint"])
                    self.page.click("pr-key-erase")  # the spare stays chosen until erased
                    self.assertEqual(self.page.text(spare), "")
                elif how == "unshifted":
                    # Everything right but the second row, written one column right: its last digit
                    # in the spare under the first row's end.
                    for i, c in enumerate(figure["cells"]):
                        if c["line"] == 1:
                            continue
                        self.page.click("pr-cell-%d" % i)
                        self.page.click("pr-key-%d" % c["digit"])
                    row = {c["column"]: (i, c) for i, c in enumerate(figure["cells"]) if c["line"] == 1}
                    lowest = min(row)
                    for column in sorted(row):
                        if column + 1 in row:
                            self.page.click("pr-cell-%d" % row[column][0])
                            self.page.click("pr-key-%d" % row[column + 1][1]["digit"])
                    spare = "pr-spare-1-%d" % (lowest - 1)
                    self.page.click(spare)
                    self.page.click("pr-key-%d" % row[lowest][1]["digit"])
                    self.page.click("pr-check")
                    self.assertIn("pr-wrong", self.page.attribute(spare, "class"))
                    for i, _ in row.values():
                        self.assertIn("pr-wrong", self.page.attribute("pr-cell-%d" % i, "class"))
                    self.assertIn(module_call(self.page, "tavrelo_judge", query + "&problem=1&judge=stray&line=1&column=%d&digit=%d"
                                              % (lowest - 1, row[lowest][1]["digit"]))["hint"], self.page.text("pr-hint"))
                    self.page.click(spare)
                    self.page.click("pr-key-erase")
                elif how == "strike":
                    for i, c in enumerate(figure["cells"]):
                        self.page.click("pr-cell-%d" % i)
                        self.page.click("pr-key-%d" % c["digit"])
                    if figure["point"]["column"] is not None:
                        self.page.click("pr-gap-%d" % figure["point"]["column"])
                    self.page.click("pr-cell-%d" % action)
                    column = figure["cells"][action]["column"]
                    expected = module_call(self.page, "tavrelo_judge", query + "&problem=1&judge=strike&column=%d" % column)
                    self.assertEqual(self.page.text("pr-hint"), expected["hint"])
                else:
                    # Everything right but the mistake: one cell left blank, or no strike made.
                    for i, c in enumerate(figure["cells"]):
                        if kind == "blank" and i == 0:
                            continue
                        self.page.click("pr-cell-%d" % i)
                        self.page.click("pr-key-%d" % c["digit"])
                    if figure["point"]["column"] is not None:
                        self.page.click("pr-gap-%d" % figure["point"]["column"])
                    if kind == "blank":
                        for i, c in enumerate(figure["cells"]):
                            if c["strike"]:
                                self.page.click("pr-cell-%d" % i)  # chosen
                                self.page.click("pr-cell-%d" % i)  # struck
                    self.page.click("pr-check")
                    self.assertNotEqual(self.page.text("pr-hint"), "")
                    if kind == "blank":
                        self.assertIn("pr-wrong", self.page.attribute("pr-cell-0", "class"))
                    self.assertEqual(self.problem(), 1, "a wrong figure is mended before the next")
                # The rest of the sheet right: the mistake's kind is counted in the result.
                self.solve(figure)
                for other in self.figures(query)[1:]:
                    self.page.wait(lambda: self.problem() == other["problem"])
                    self.solve(other)
                result = self.result()
                self.assertIn(kind, result["kinds"])
                count = len(self.figures(query))
                self.assertIn("%d / %d" % (count - 1, count), result["score"])

    def find_mistake(self, kind, how):
        """(a run's address, what to do on its sheet's first problem) that the module judges as
        `kind`: a cell and a digit, a point's column, or a cell to strike."""
        script = """
            const kind = arguments[0], how = arguments[1], done = arguments[arguments.length - 1];
            window.tavreloModule.then(m => {
              const call = (name, q) => JSON.parse(m.cwrap(name, 'string', ['string'])(q));
              for (let seed = 1; seed < 400; ++seed) {
                for (const preset of ['', '&preset=g4-tenths-x-2digit', '&preset=g5-hundredths-x-tenths']) {
                  const q = 'seed=' + seed + preset;
                  const f = call('tavrelo_practice', q + '&problem=1').figures[0];
                  const rows = new Set(f.cells.filter(c => c.line >= 0).map(c => c.line)).size;
                  if (how === 'beside' || how === 'unshifted') {
                    if (rows >= 2) return done([q, null]);
                  } else if (how === 'all') {
                    if (kind === 'blank' || f.cells.some(c => c.strike)) return done([q, null]);
                  } else if (how === 'cell') {
                    for (let i = 0; i < f.cells.length; ++i) for (let d = 0; d < 10; ++d) {
                      const v = call('tavrelo_judge', q + '&problem=1&judge=cell&cell=' + i + '&digit=' + d);
                      if (v.mistake === kind) return done([q, [i, d]]);
                    }
                  } else if (how === 'point') {
                    for (const c of f.cells) {
                      if (c.line !== -1 || c.column === 0 || c.column === f.point.column || f.point.column === null) continue;
                      const v = call('tavrelo_judge', q + '&problem=1&judge=point&point=' + c.column);
                      if (v.mistake === kind) return done([q, c.column]);
                    }
                  } else {
                    const i = f.cells.findIndex(c => c.line === -1 && c.digit === 0 && !c.strike);
                    if (i >= 0 && f.cells.some(c => c.strike)) return done([q, i]);
                  }
                }
              }
              done(null);
            });"""
        return self.page.js_async(script, kind, how)

    def test_a_reload_comes_back_to_the_same_problem_with_what_was_written(self):
        self.begin(RUN, name="はなこ")
        figures = self.figures(RUN)
        self.solve(figures[0])
        self.page.wait(lambda: self.problem() == 2)
        written = figures[1]["cells"][:2]
        for i, cell in enumerate(written):
            self.page.click("pr-cell-%d" % i)
            self.page.click("pr-key-%d" % cell["digit"])
        self.page.open(RUN + "&mode=practice", fresh=False)
        self.page.click("pr-start")  # the name is remembered
        self.page.wait(lambda: self.view() == "work")
        self.assertEqual(self.problem(), 2)
        self.assertEqual([self.page.text("pr-cell-%d" % i) for i in range(len(written))],
                         [str(c["digit"]) for c in written])
        # Another pupil on the same device starts at the beginning.
        self.page.open(RUN + "&mode=practice", fresh=False)
        self.page.js("document.getElementById('pr-name').value = 'じろう';")
        self.page.click("pr-start")
        self.assertEqual(self.problem(), 1)

    def test_a_kept_state_that_cannot_be_read_starts_afresh_with_a_word(self):
        self.begin(RUN)
        for bad in ("{not json", json.dumps({"v": 99}), json.dumps({"v": 1, "order": [999], "at": 0})):
            with self.subTest(bad=bad):
                self.page.js("for (const k of Object.keys(localStorage)) if (k.startsWith('tavrelo-practice|'))"
                             " localStorage.setItem(k, arguments[0]);", bad)
                self.page.open(RUN + "&mode=practice", fresh=False)
                self.page.click("pr-start")
                self.page.wait(lambda: self.view() == "work")
                self.assertEqual(self.problem(), 1)
                self.assertNotEqual(self.page.text("pr-note"), "")

    def test_storage_refused_says_so_and_the_practice_goes_on(self):
        self.page.open(RUN + "&mode=practice")
        self.page.js("Storage.prototype.setItem = function () { throw new DOMException('full', 'QuotaExceededError'); };")
        self.page.js("document.getElementById('pr-name').value = 'みく';")
        self.page.click("pr-start")
        self.assertEqual(self.view(), "work")
        self.assertNotEqual(self.page.text("pr-note"), "")
        figure = self.figures(RUN)[0]
        self.page.click("pr-key-%d" % figure["cells"][0]["digit"])
        self.assertEqual(self.page.text("pr-cell-0"), str(figure["cells"][0]["digit"]))

    def test_the_result_prints_on_one_page_with_name_and_score(self):
        if self.page.engine == "webkit":
            # webkit_print.py prints the address in a view of its own, where the result (seen
            # once, then let go) is not: WebKitWebDriver has no print command of its own.
            self.skipTest("WebKitGTK prints only an address afresh")
        self.begin(RUN, name="<b>さくら</b>")
        for figure in self.figures(RUN):
            self.page.wait(lambda: self.problem() == figure["problem"])
            self.solve(figure)
        result = self.result()
        self.assertIn("<b>さくら</b>", result["name"], "the name is text, never markup")
        with tempfile.TemporaryDirectory() as folder:
            pages = pdf_pages(self.page.print_pdf(os.path.join(folder, "result.pdf")))
        self.assertEqual(len(pages), 1)
        self.assertIn("さくら", pages[0])
        count = len(self.figures(RUN))
        self.assertIn("%d / %d" % (count, count), pages[0])

    def test_the_problems_are_the_printed_sheets(self):
        options = {"preset": "g5-hundredths-x-tenths", "seed": "2024", "sheets": "2", "answers": "none"}
        query = "&".join(k + "=" + v for k, v in options.items())
        arguments = []
        for k, v in options.items():
            arguments += ["--" + k, v]
        self.page.open(query + "&mode=practice")
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "sheets.pdf")
            self.assertEqual(sheets_pdf(arguments, path).returncode, 0)
            printed = pdf_pages(path)
        for sheet, text in enumerate(printed, 1):
            ours = [(f["multiplicand"]["text"], f["multiplier"]["text"])
                    for f in self.figures(query + "&practice=%d" % sheet)]
            self.assertEqual(ours, [(a, b) for a, b, _ in problems_of(text)])

    def test_the_sheets_page_gives_the_practice_link_of_its_run(self):
        self.page.open("seed=77&sheets=2")
        self.page.click("btnPracticeLink")
        self.page.wait(lambda: self.page.text("status").startswith("れんしゅう"))
        link = self.page.value("practiceLink")
        fragment = link.split("#", 1)[1]
        self.assertTrue(fragment.endswith("&mode=practice"), link)
        # The link opens the very problems of the run's first sheet.
        self.begin(fragment.replace("&mode=practice", ""))
        self.assertEqual(self.figures(fragment), self.figures("seed=77&sheets=2"))

    def test_cells_and_keys_have_names(self):
        self.begin(RUN)
        unnamed = self.page.js("return Array.from(document.querySelectorAll('#practice button'))"
                               ".filter(b => !(b.getAttribute('aria-label') || b.textContent).trim()).map(b => b.id)")
        self.assertEqual(unnamed, [])
        labels = self.page.js("return Array.from(document.querySelectorAll('.pr-cell')).map(b => b.getAttribute('aria-label'))")
        self.assertTrue(all(label.endswith("位") for label in labels), labels)
        self.assertEqual(len(set(labels)), len(labels), "each cell is told apart by its name")
        small = self.page.js("return Array.from(document.querySelectorAll('.pr-key'))"
                             ".filter(b => b.getBoundingClientRect().height < 48 || b.getBoundingClientRect().width < 48).length")
        self.assertEqual(small, 0)


class Tablets(unittest.TestCase):
    def test_nothing_scrolls_sideways(self):
        if not browser.HTML or not os.path.exists(browser.HTML):
            self.skipTest("no page")
        for width, height in ((1024, 768), (768, 1024)):
            with self.subTest(size=(width, height)):
                page = browser.Page(width, height)
                try:
                    page.open("seed=3&preset=g5-hundredths-x-tenths&mode=practice")
                    page.js("document.getElementById('pr-name').value = 'ゆうき';")
                    page.click("pr-start")
                    sizes = page.js("const e = document.documentElement; return [e.scrollWidth, e.clientWidth];")
                    self.assertLessEqual(sizes[0], sizes[1])
                finally:
                    page.close()


if __name__ == "__main__":
    browser.main()
