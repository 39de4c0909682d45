"""A pupil's practice of a printed sheet (mode=practice) in a real browser: worked by taps and by
the keyboard, each kind of mistake with the module's hint, kept over a reload, worked again where
it was missed, followed by the run's next sheet, printed."""
import json
import os
import re
import tempfile
import unittest
import urllib.parse

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


def printed_problems(query):
    """(multiplicand, multiplier) of each problem of each sheet tavrelo-sheets prints for `query`."""
    arguments = [(key, value) for key, value in urllib.parse.parse_qsl(query) if key not in ("mode", "practice")]
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "sheets.pdf")
        run = sheets_pdf(arguments, path)
        if run.returncode != 0:
            raise AssertionError("tavrelo-sheets %s: %s" % (arguments, run.stderr))
        return [[(a, b) for a, b, _ in problems_of(text)] for text in pdf_pages(path)]


# Clicks in the page's own script, for the problems a test only needs out of the way: the same
# handlers as a tap, without a round trip to the driver for each. Each figure is worked once it is
# on screen; once it is done the next one is drawn, and nothing more is clicked.
SOLVE = """
const figures = arguments[0], view = document.getElementById('practice');
const solve = (f) => {
  const problem = view.dataset.problem;
  const click = (id) => { if (view.dataset.view !== 'work' || view.dataset.problem !== problem) return;
    const e = document.getElementById(id);
    e.dispatchEvent(new PointerEvent('pointerdown', {bubbles: true})); e.focus(); e.click(); };
  f.cells.forEach((c, i) => { click('pr-cell-' + i); click('pr-key-' + c.digit); });
  if (f.point.column !== null) click('pr-gap-' + f.point.column);
  // Checked at the end, a 0 is chosen before a tap strikes it.
  const struck = (i) => view.dataset.problem !== problem || document.getElementById('pr-cell-' + i).classList.contains('pr-struck');
  f.cells.forEach((c, i) => { for (let n = 0; c.strike && n < 2 && !struck(i); ++n) click('pr-cell-' + i); });
  if (document.getElementById('pr-check')) click('pr-check');
};
const next = (k) => {
  if (k === figures.length) return;
  if (view.dataset.view !== 'work' || view.dataset.problem !== String(figures[k].problem)) return setTimeout(next, 20, k);
  solve(figures[k]);
  next(k + 1);
};
next(0);
"""

RESULT_SHOWN = "document.getElementById('practice').dataset.view === 'result'"


def worked_through(name, figures):
    """One script that starts the practice shown as `name`, nothing kept, and works `figures` right."""
    return ("localStorage.clear(); document.getElementById('pr-name').value = %s;"
            " document.getElementById('pr-start').click();\n(function () {%s}).apply(null, %s);"
            % (json.dumps(name), SOLVE, json.dumps([figures])))


def start(page, name="たろう", before=""):
    """The practice open on `page` started by `name` (the one remembered where None), `before` run first."""
    page.js(before + ";if (arguments[0] !== null) document.getElementById('pr-name').value = arguments[0];", name)
    page.click("pr-start")
    page.wait(lambda: page.js("return document.getElementById('practice').dataset.view") == "work")


class Practice(PageTest):
    def begin(self, query, name="たろう", fresh=True, before=""):
        """The practice of `query` opened and started; the module's figures of its sheet."""
        self.page.open(query + "&mode=practice", fresh=fresh)
        start(self.page, name, before)
        return self.figures(query)

    def view(self):
        return self.page.js("return document.getElementById('practice').dataset.view")

    def problem(self):
        return int(self.page.js("return document.getElementById('practice').dataset.problem"))

    def figures(self, query):
        answer = module_call(self.page, "tavrelo_practice", query)
        self.assertEqual(answer["errors"], [])
        return answer["figures"]

    def write(self, element_id, digit):
        """A cell (or memo, or spare) tapped, then a digit's key."""
        self.page.click(element_id)
        self.page.click("pr-key-%s" % digit)

    def tap(self, figure, cells=None, point=True, strike_taps=0):
        """Taps as a pupil: each of `cells` (every one unless given) and its digit's key, the
        point's gap, then each 0 to strike (`strike_taps` times: checked at the end, the first
        tap chooses it)."""
        for i in range(len(figure["cells"])) if cells is None else cells:
            self.write("pr-cell-%d" % i, figure["cells"][i]["digit"])
        if point and figure["point"]["column"] is not None:
            self.page.click("pr-gap-%d" % figure["point"]["column"])
        for i, cell in enumerate(figure["cells"]):
            for _ in range(strike_taps if cell["strike"] else 0):
                self.page.click("pr-cell-%d" % i)

    def finish(self, figures):
        """Each of `figures` worked right, in the page's own script, as it comes on screen."""
        self.page.js(SOLVE, figures)

    def result(self, count, missed=0):
        """The result once it is shown, with its score checked: `missed` of `count` not right at once."""
        self.page.wait(lambda: self.view() == "result")
        shown = self.page.js("""
            const text = (id) => document.getElementById(id).innerText;
            return {score: text('pr-score'), name: text('pr-result-name'),
              kinds: Object.fromEntries(Array.from(document.querySelectorAll('#pr-kinds li[data-kind]'))
                                        .map(l => [l.dataset.kind, l.textContent])),
              listed: Array.from(document.querySelectorAll('.pr-list li')).map(l => l.innerText),
              again: !document.getElementById('pr-again').disabled};""")
        # "(3) 1.25 × 4.6 = 5.75　△ ...": the problem's number and factors.
        shown["listed"] = [re.match(r"\((\d+)\) (\S+) × (\S+) = ", line).groups() for line in shown["listed"]]
        self.assertIn("%d / %d" % (count - missed, count), shown["score"])
        return shown

    def type_in(self, figure):
        """A figure written with the keyboard alone: digits, the point, arrows to each 0 to strike."""
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

    def test_a_sheet_worked_by_taps_or_by_the_keyboard_alone(self):
        for how, query, write in (("taps", RUN, lambda f: self.tap(f, strike_taps=1)),
                                  ("keyboard", RUN + "&practice=2", self.type_in)):
            with self.subTest(how=how):
                figures = self.begin(query)
                for figure in figures:
                    self.assertEqual(self.problem(), figure["problem"])
                    write(figure)
                self.assertEqual(self.result(len(figures))["kinds"], {})

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
                figures = self.begin(query)
                figure = figures[0]
                if how == "cell":
                    cell, digit = action
                    self.tap(figure, cells=range(cell), point=False)
                    self.write("pr-cell-%d" % cell, digit)
                    self.assertIn("pr-wrong", self.page.attribute("pr-cell-%d" % cell, "class"))
                    self.assertHint(query, "judge=cell&cell=%d&digit=%d" % (cell, digit), kind)
                elif how == "point":
                    self.tap(figure, point=False)
                    self.page.click("pr-gap-%d" % action)
                    self.assertHint(query, "judge=point&point=%d" % action, kind)
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
                    self.write(spare, digit)
                    self.assertIn("pr-wrong", self.page.attribute(spare, "class"))
                    self.assertHint(query, "judge=stray&line=%d&column=%d&digit=%d" % (line, column, digit), kind)
                    self.page.click("pr-key-erase")  # the spare stays chosen until erased
                    self.assertEqual(self.page.text(spare), "")
                elif how == "unshifted":
                    # Everything right but the second row, written one column right: its last digit
                    # in the spare under the first row's end.
                    self.tap(figure, cells=[i for i, c in enumerate(figure["cells"]) if c["line"] != 1], point=False)
                    row = {c["column"]: (i, c) for i, c in enumerate(figure["cells"]) if c["line"] == 1}
                    lowest = min(row)
                    for column in sorted(row):
                        if column + 1 in row:
                            self.write("pr-cell-%d" % row[column][0], row[column + 1][1]["digit"])
                    spare = "pr-spare-1-%d" % (lowest - 1)
                    self.write(spare, row[lowest][1]["digit"])
                    self.page.click("pr-check")
                    self.assertIn("pr-wrong", self.page.attribute(spare, "class"))
                    for i, _ in row.values():
                        self.assertIn("pr-wrong", self.page.attribute("pr-cell-%d" % i, "class"))
                    self.assertIn(module_call(self.page, "tavrelo_judge", query + "&problem=1&judge=stray&line=1&column=%d&digit=%d"
                                              % (lowest - 1, row[lowest][1]["digit"]))["hint"], self.page.text("pr-hint"))
                    self.page.click(spare)
                    self.page.click("pr-key-erase")
                elif how == "strike":
                    self.tap(figure)
                    self.page.click("pr-cell-%d" % action)
                    self.assertHint(query, "judge=strike&column=%d" % figure["cells"][action]["column"], kind)
                else:
                    # Everything right but the mistake: one cell left blank, or no strike made.
                    blank = kind == "blank"
                    self.tap(figure, cells=range(blank, len(figure["cells"])), strike_taps=2 if blank else 0)
                    self.page.click("pr-check")
                    self.assertNotEqual(self.page.text("pr-hint"), "")
                    if blank:
                        self.assertIn("pr-wrong", self.page.attribute("pr-cell-0", "class"))
                    self.assertEqual(self.problem(), 1, "a wrong figure is mended before the next")
                # The rest of the sheet right: the mistake's kind is counted in the result.
                self.finish(figures)
                self.assertIn(kind, self.result(len(figures), missed=1)["kinds"])

    def assertHint(self, query, judged, kind):  # noqa: N802 (unittest's style)
        """The hint on screen is the module's for `judged` on the first problem, a mistake of `kind`."""
        expected = module_call(self.page, "tavrelo_judge", query + "&problem=1&" + judged)
        self.assertEqual((expected["mistake"], self.page.text("pr-hint")), (kind, expected["hint"]))

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
        # A memo, here not even the carry, is the pupil's own: shown and kept, never marked nor
        # counted, whether each digit is checked or the whole figure at the end (where the blank
        # cell left for it is counted).
        for check, counted in (("each", set()), ("end", {"blank"})):
            with self.subTest(check=check):
                query = RUN + "&check=" + check
                figures = self.begin(query, name="はなこ")
                k = next(i for i, f in enumerate(figures) if i and f["memos"])
                figure = figures[k]
                self.finish(figures[:k])
                self.page.wait(lambda: self.problem() == figure["problem"])
                self.tap(figure, cells=[1, 2], point=False)
                memo = str((figure["memos"][0]["value"] + 1) % 10)
                self.write("pr-memo-0", memo)
                for name in (None, "じろう", "はなこ"):  # the name remembered, another pupil, back
                    self.begin(query, name=name, fresh=False)
                    if name == "じろう":
                        self.assertEqual(self.problem(), 1)
                        continue
                    self.assertEqual(self.problem(), figure["problem"])
                    self.assertEqual([self.page.text("pr-cell-%d" % i) for i in range(3)],
                                     [""] + [str(c["digit"]) for c in figure["cells"][1:3]])
                    self.assertEqual(self.page.text("pr-memo-0"), memo)
                    self.assertEqual(self.page.text("pr-hint"), "")
                if check == "end":
                    self.tap(figure, cells=range(1, len(figure["cells"])), strike_taps=2)
                    self.page.click("pr-check")
                    self.assertIn("pr-wrong", self.page.attribute("pr-cell-0", "class"))
                    self.assertEqual(self.page.text("pr-memo-0"), memo)
                self.assertNotIn("pr-wrong", self.page.attribute("pr-memo-0", "class"))
                self.finish(figures[k:])
                self.assertEqual(set(self.result(len(figures), missed=len(counted))["kinds"]), counted)

    def test_a_round_again_brings_back_only_the_missed_problems(self):
        figures = self.begin(RUN)
        round_ = figures
        # The problems missed in each round: the next round has those alone, in order.
        for missed in ([figures[1]["problem"], figures[3]["problem"]], [figures[3]["problem"]], []):
            for figure in round_:
                self.page.wait(lambda: self.problem() == figure["problem"])
                if figure["problem"] in missed:
                    self.write("pr-cell-0", (figure["cells"][0]["digit"] + 1) % 10)
                self.finish([figure])
            result = self.result(len(round_), missed=len(missed))
            self.assertEqual([int(p) for p, _, _ in result["listed"]], [f["problem"] for f in round_])
            self.assertEqual(result["again"], bool(missed))
            if missed:
                self.page.click("pr-again")
                self.page.wait(lambda: self.view() == "work")
                self.begin(RUN, name=None, fresh=False)  # kept: a reload comes back to this round
            round_ = [f for f in round_ if f["problem"] in missed]

    def test_the_links_sheets_are_the_printed_ones_and_the_next_follows_in_the_run(self):
        # The sheets page's practice link, then つぎのプリント twice: the run's next sheet, then one
        # the run grows by. Each sheet's problems, as its result lists them, are what tavrelo-sheets
        # prints for the page's address; and the link's run is the teacher's.
        query = "preset=g5-hundredths-x-tenths&seed=2024&sheets=2&answers=none"
        self.page.open(query)
        self.page.click("btnPracticeLink")
        self.page.wait(lambda: self.page.text("status").startswith("れんしゅう"))
        link = self.page.value("practiceLink")
        self.assertTrue(link.endswith("&mode=practice"), link)
        self.begin(link.split("#", 1)[1][:-len("&mode=practice")])
        printed = {}
        for n, sheets in ((1, 2), (2, 2), (3, 3)):
            if n > 1:
                self.page.js("window.tavreloLeft = true;")
                self.page.click("pr-next")
                self.page.wait(self.opened_anew)
                start(self.page, name=None)
            address = urllib.parse.parse_qs(self.page.fragment())
            self.assertEqual((address.get("practice", ["1"]), address["sheets"]), ([str(n)], [str(sheets)]))
            figures = self.figures(self.page.fragment())
            self.finish(figures)
            listed = [(a, b) for _, a, b in self.result(len(figures))["listed"]]
            if sheets not in printed:
                printed[sheets] = printed_problems(self.page.fragment())
            self.assertEqual(listed, printed[sheets][n - 1])
        self.assertEqual(printed[2], printed_problems(query))

    def opened_anew(self):
        """The page's next document ready (the one before marked tavreloLeft)."""
        try:
            return self.page.js("return !window.tavreloLeft && document.documentElement.dataset.state === 'ready'"
                                " && document.getElementById('practice').dataset.view === 'name'")
        except Exception:  # noqa: BLE001 (between documents each driver says so its own way)
            return False

    def test_storage_that_fails_starts_afresh_with_a_word_and_the_practice_goes_on(self):
        # What the device kept cannot be read (not JSON, another version, edited by hand), or it
        # keeps nothing at all.
        kept = "for (const k of Object.keys(localStorage)) if (k.startsWith('tavrelo-practice|')) localStorage.setItem(k, %s)"
        refused = "Storage.prototype.setItem = function () { throw new DOMException('full', 'QuotaExceededError'); }"
        self.begin(RUN)
        for bad in ("{not json", json.dumps({"v": 99}), json.dumps({"v": 1, "order": [999], "at": 0}), None):
            with self.subTest(bad=bad):
                figure = self.begin(RUN, name=None, fresh=False, before=refused if bad is None else kept % json.dumps(bad))[0]
                self.assertEqual(self.problem(), 1)
                self.assertNotEqual(self.page.text("pr-note"), "")
                self.page.click("pr-key-%d" % figure["cells"][0]["digit"])
                self.assertEqual(self.page.text("pr-cell-0"), str(figure["cells"][0]["digit"]))

    def test_the_result_prints_on_one_page_with_name_and_score(self):
        name = "<b>さくら</b>"
        self.page.open(RUN + "&mode=practice")
        figures = self.figures(RUN)
        # WebKit prints in a view of its own, from the address: the same script works it there.
        script = worked_through(name, figures)
        self.page.js(script)
        self.assertIn(name, self.result(len(figures))["name"], "the name is text, never markup")
        with tempfile.TemporaryDirectory() as folder:
            pages = pdf_pages(self.page.print_pdf(os.path.join(folder, "result.pdf"), replay=(script, RESULT_SHOWN)))
        self.assertEqual(len(pages), 1)
        self.assertIn(name, pages[0])
        self.assertIn("%d / %d" % (len(figures), len(figures)), pages[0])

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
                    start(page, "ゆうき")
                    sizes = page.js("const e = document.documentElement; return [e.scrollWidth, e.clientWidth];")
                    self.assertLessEqual(sizes[0], sizes[1])
                finally:
                    page.close()


if __name__ == "__main__":
    browser.main()
