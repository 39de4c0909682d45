"""The teacher's showing (mode=show) in a real browser: each step shows what the module's steps
write, forward and back, by keyboard and by pointer; the problem and sheet numbers; one screen."""
import json
import os
import unittest

import browser
from browser import PageTest

# The keys a teacher moves with, as selenium names them (firefox takes the names as they are).
browser.KEYS.update(ArrowRight="ARROW_RIGHT", ArrowLeft="ARROW_LEFT", PageDown="PAGE_DOWN", PageUp="PAGE_UP",
                    Home="HOME", End="END")

# Two-digit multipliers: partial rows, a rule and the sum column by column with its carries.
ROWS = "preset=g4-tenths-x-2digit&seed=42"
ZERO_ROWS = "seed=3&multiplicand=[1-9].[1-9]&multiplier=[1-9].0[1-9]"

# What the figure shows now, as the screen has it: every visible written digit, carry and point.
SHOWN = """
const figure = document.getElementById('showFigure');
const seen = (e) => getComputedStyle(e).visibility !== 'hidden';
const of = (selector) => Array.from(figure.querySelectorAll(selector)).filter(seen);
return {
  cells: of('.written').map(e => [Number(e.dataset.line), Number(e.dataset.column), e.textContent,
                                  e.classList.contains('struck')]).sort(),
  memos: of('.memo').map(e => [Number(e.dataset.line), Number(e.dataset.column), e.textContent]).sort(),
  point: of('.point[data-line="-1"]').length === 1,
  multiplied: of('.factor.now').map(e => [e.dataset.line, e.textContent]),
  step: Number(document.getElementById('show').dataset.step),
  problem: document.getElementById('showProblem').textContent,
  say: document.getElementById('showSay').textContent,
};"""


class Show(PageTest):
    def model(self, query):
        """The module's own practice answer for the address, asked apart from the view."""
        self.page.open(query + "&mode=show")
        text = self.page.js_async("const [q, done] = arguments; window.tavreloModule.then("
                                  "m => done(m.cwrap('tavrelo_practice', 'string', ['string'])(q)));", query)
        return json.loads(text)

    def shown(self):
        return self.page.js(SHOWN)

    @staticmethod
    def expected(figure, k):
        """What steps 0..k of the model write, in the form SHOWN reads the screen."""
        strike = next((i for i, s in enumerate(figure["steps"]) if s["kind"] == "strike"), None)
        point = next((i for i, s in enumerate(figure["steps"]) if s["kind"] == "point"), None)
        struck = strike is not None and strike <= k
        cells = sorted([c["line"], c["column"], str(c["digit"]), c["strike"] and struck]
                       for c in figure["cells"] if c["step"] <= k)
        memos = sorted([m["line"], m["column"], str(m["value"])] for m in figure["memos"] if m["step"] <= k)
        return cells, memos, point is not None and point <= k

    def walk(self, figure, move, direction):
        """Steps through the whole figure with `move`; each step's screen against the model."""
        count = len(figure["steps"])
        order = range(0, count) if direction > 0 else range(count - 2, -2, -1)
        for k in order:
            move()
            now = self.shown()
            self.assertEqual(now["step"], k)
            cells, memos, point = self.expected(figure, k)
            self.assertEqual(now["cells"], [list(c) for c in cells], "step %d" % k)
            self.assertEqual(now["memos"], [list(m) for m in memos], "step %d" % k)
            self.assertEqual(now["point"], point, "step %d" % k)
            step = figure["steps"][k] if k >= 0 else None
            if step and step["kind"] == "digitProduct":
                self.assertEqual(now["multiplied"], [["a", str(step["multiplicandDigit"])],
                                                     ["b", str(step["multiplierDigit"])]])
                self.assertIn("%d × %d" % (step["multiplicandDigit"], step["multiplierDigit"]), now["say"])
            elif step and step["kind"] == "zeroRow":
                self.assertEqual(now["multiplied"], [["b", "0"]])
            else:
                self.assertEqual(now["multiplied"], [])
            if step and step["kind"] == "columnSum" and len(step["addends"]) > 1:
                self.assertIn(" + ".join(map(str, step["addends"])), now["say"])

    def test_a_figure_forward_to_its_end_and_back_by_keys_and_by_buttons(self):
        keys = ("keys", lambda: self.page.key("ArrowRight"), lambda: self.page.key("ArrowLeft"))
        buttons = ("buttons", lambda: self.page.click("showNext"), lambda: self.page.click("showBack"))
        cases = [
            # Partial rows whose sum carries.
            (ROWS, lambda f: any(s["kind"] == "columnSum" and s["carryIn"] for s in f["steps"]), [keys, buttons]),
            # A 0 in the middle of the multiplier: the rows skip its place.
            (ZERO_ROWS, lambda f: f["rows"] and f["rows"][-1]["place"] >= len(f["rows"]), [keys]),
        ]
        for query, wanted, ways in cases:
            sheet = self.model(query)
            index = next((i for i, f in enumerate(sheet["figures"]) if wanted(f)), None)
            self.assertIsNotNone(index, "%s: a figure to show" % query)
            figure = sheet["figures"][index]
            for name, forward, back in ways:
                with self.subTest(query=query, way=name):
                    self.page.open(query + "&mode=show&problem=%d" % (index + 1))
                    self.assertEqual(self.shown()["step"], -1)
                    self.assertEqual(self.shown()["cells"], [], "nothing written before the first step")
                    self.walk(figure, forward, +1)
                    self.walk(figure, back, -1)
                    self.assertEqual(self.shown()["problem"], "(%d) / %d" % (index + 1, sheet["count"]))

    def test_zeros_without_value_struck_or_left_out_at_their_steps(self):
        for zeros in ("struck", "omitted"):
            with self.subTest(zeros=zeros):
                query = ROWS + "&zeros=" + zeros
                sheet = self.model(query)
                # A product with zeros the point leaves without value: struck at the end, or
                # never written (a step that writes no digit).
                index = next((i for i, f in enumerate(sheet["figures"])
                              if f["point"]["struck"] or any(s["kind"] in ("digitProduct", "columnSum")
                                                             and not s["cells"] for s in f["steps"])), None)
                if index is None:
                    self.skipTest("no product on this sheet has zeros without value")
                figure = sheet["figures"][index]
                self.page.open(query + "&mode=show&problem=%d" % (index + 1))
                self.walk(figure, lambda: self.page.key("ArrowRight"), +1)
                struck = self.page.js("return Array.from(document.querySelectorAll('#showFigure .struck'))"
                                      ".map(e => e.dataset.line + ':' + e.dataset.column)")
                expected = ["-1:%d" % c["column"] for c in figure["cells"] if c["strike"]]
                if figure["point"]["struck"]:
                    expected.append("-1:%d" % figure["point"]["column"])
                self.assertEqual(sorted(struck), sorted(expected))
                if zeros == "omitted":
                    self.assertEqual(expected, [])

    def test_problem_and_sheet_numbers_and_moving_between_problems(self):
        query = "seed=7&sheets=3&practice=2&number=41"
        sheet = self.model(query)
        self.assertEqual(sheet["number"], 42)
        self.page.open(query + "&mode=show")
        self.assertEqual(self.page.text("showSheet"), "問題No.42")
        count = sheet["count"]
        first, second = sheet["figures"][0], sheet["figures"][1]
        self.assertEqual(self.shown()["problem"], "(1) / %d" % count)
        # End: the whole figure; one more step is the next problem, not yet worked.
        self.page.key("End")
        self.assertEqual(self.shown()["step"], len(first["steps"]) - 1)
        self.assertIn(first["product"], self.page.text("showAnswer"))
        self.page.key("ArrowRight")
        self.assertEqual((self.shown()["problem"], self.shown()["step"]), ("(2) / %d" % count, -1))
        self.assertIn(second["multiplicand"]["text"] + " × " + second["multiplier"]["text"], self.shown()["say"])
        # Back from a problem's start: the one before, worked out.
        self.page.key("ArrowLeft")
        self.assertEqual((self.shown()["problem"], self.shown()["step"]), ("(1) / %d" % count, len(first["steps"]) - 1))
        self.page.key("Home")
        self.assertEqual(self.shown()["step"], -1)
        for _ in range(count + 2):
            self.page.key("PageDown")
        self.assertEqual(self.shown()["problem"], "(%d) / %d" % (count, count))
        self.assertEqual(self.attribute_disabled("showNextProblem"), True)
        self.page.key("PageUp")
        self.page.click("showPrevProblem")
        self.assertEqual(self.shown()["problem"], "(%d) / %d" % (count - 2, count))
        # The address follows, so that the page opened again stays on the problem, the rest of the link kept.
        self.assertIn("problem=%d" % (count - 2), self.page.fragment())
        self.assertIn("number=41", self.page.fragment())
        self.page.open(self.page.fragment(), fresh=False)
        self.assertEqual(self.shown()["problem"], "(%d) / %d" % (count - 2, count))
        self.page.click("showNextProblem")
        self.assertEqual(self.shown()["problem"], "(%d) / %d" % (count - 1, count))

    def attribute_disabled(self, element_id):
        return self.page.js("return document.getElementById(arguments[0]).disabled", element_id)

    def test_a_refused_address_says_why(self):
        self.page.open("seed=1&sheets=2&practice=3&mode=show")
        self.assertIn("practice", self.page.text("show"))
        self.assertEqual(self.page.js("return document.getElementById('showFigure')"), None)


class Screens(unittest.TestCase):
    def test_every_figure_fits_the_screen_with_nothing_to_scroll(self):
        if not browser.HTML or not os.path.exists(browser.HTML):
            self.skipTest("no page")
        for width, height in ((1366, 768), (1920, 1080), (1024, 768), (768, 1024)):
            with self.subTest(size=(width, height)):
                page = browser.Page(width, height)
                try:
                    page.open(ROWS + "&mode=show")
                    count = int(page.text("showProblem").split("/")[1])
                    for problem in range(1, count + 1):
                        page.key("End")
                        fits = page.js("""
                            const e = document.documentElement, box = document.getElementById('showFigure');
                            const inside = (r) => r.top >= 0 && r.left >= 0 && r.bottom <= innerHeight && r.right <= innerWidth;
                            return [e.scrollWidth <= e.clientWidth, e.scrollHeight <= e.clientHeight,
                                    inside(box.getBoundingClientRect()),
                                    inside(document.getElementById('showNext').getBoundingClientRect()),
                                    ['showNextProblem', 'showExpression', 'showSay'].every(
                                        id => inside(document.getElementById(id).getBoundingClientRect())),
                                    // The step's words whole, none cut off below their box.
                                    document.getElementById('showSay').getBoundingClientRect().bottom
                                        <= document.getElementById('showSay').parentElement.getBoundingClientRect().bottom + 1,
                                    parseFloat(getComputedStyle(box).getPropertyValue('--u'))];""")
                        self.assertEqual(fits[:6], [True] * 6, "problem %d" % problem)
                        # Read from the back of a classroom: digits of at least 5 % of the screen's height.
                        self.assertGreaterEqual(fits[6], 0.05 * min(height, 768), "problem %d" % problem)
                        page.key("PageDown")
                finally:
                    page.close()


if __name__ == "__main__":
    browser.main()
