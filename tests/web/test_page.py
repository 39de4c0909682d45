"""The browser edition in a real browser: the fields, the sheets, the address, printing to PDF."""
import os
import re
import subprocess
import tempfile
import unittest
from decimal import Decimal

import browser
from browser import PageTest, pdf_pages, sheets_pdf

NUMBER = r"[0-9]+(?:\.[0-9]+)?"


def problems_of(page_text):
    """(multiplicand, multiplier, the line under the factors' rule) of each figure, in order, from
    the layout text of a printed page: a row of multiplicands, then a row of "×multiplier"."""
    lines = page_text.split("\n")
    found = []
    for i, line in enumerate(lines):
        multipliers = [(m.start(), m.group(1)) for m in re.finditer(r"×\s*(" + NUMBER + ")", line)]
        if not multipliers:
            continue
        above = next(l for l in reversed(lines[:i]) if l.strip())
        below = lines[i + 1] if i + 1 < len(lines) else ""
        multiplicands = re.findall(NUMBER, above)
        products = re.findall(NUMBER, below)
        for k, (_, multiplier) in enumerate(multipliers):
            product = products[k] if k < len(products) else None
            found.append((multiplicands[k], multiplier, product))
    return found


def plain(value):
    """A product as it is written when the zeros without value are left out: 3.40 -> 3.4, 6.0 -> 6."""
    text = format(value, "f")
    if "." in text:
        text = text.rstrip("0").rstrip(".")
    return text


class Sheets(PageTest):
    def test_the_run_in_print_order(self):
        cases = [("after", "12", [(1, False), (1, True), (2, False), (2, True)]),
                 ("end", "16", [(1, False), (2, False), (1, True), (2, True)]),
                 ("none", "12", [(1, False), (2, False)])]
        for answers, problems, order in cases:
            with self.subTest(answers=answers):
                self.page.open()
                self.page.set("sheets", "2")
                self.page.set("answers", answers)
                self.page.click("QNum" + problems)
                self.page.set("PrnNum", "41")
                self.page.set("QstSentence", "小数のかけ算をしよう。")
                self.assertEqual(self.page.press("btnPreview"), "drawn")
                pages = self.page.sheets()
                self.assertEqual([(s, a) for s, a, _, _ in pages], order)
                for sheet, is_answers, number, texts in pages:
                    self.assertEqual(number, 40 + sheet)
                    self.assertEqual(sum(t.startswith("×") for t in texts), int(problems))
                    self.assertIn("問題No.%d" % number, texts)
                    self.assertIn("小数のかけ算をしよう。", texts)
                    self.assertEqual("こたえ" in texts, is_answers)

    def test_printed_products_are_exact_distinct_and_in_range(self):
        low, high = Decimal("1"), Decimal("5")
        self.page.open("multiplicand=[1-9].[1-9]&multiplier=0.[1-9]&answer=1:5&zeros=omitted&sheets=3"
                       "&answers=after&seed=11&number=7&sentence=" + "よく見て計算しましょう")
        self.assertEqual(self.page.state(), "drawn")
        with tempfile.TemporaryDirectory() as folder:
            pages = pdf_pages(self.page.print_pdf(os.path.join(folder, "page.pdf")))
        self.assertEqual(len(pages), 6)
        for sheet in range(3):
            problem_page, answer_page = pages[2 * sheet], pages[2 * sheet + 1]
            self.assertIn("問題No.%d" % (7 + sheet), problem_page)
            self.assertIn("よく見て計算しましょう", problem_page)
            self.assertNotIn("こたえ", problem_page)
            self.assertIn("こたえ", answer_page)
            problems = problems_of(problem_page)
            answered = problems_of(answer_page)
            self.assertEqual(len(problems), 16)
            self.assertEqual(len({(a, b) for a, b, _ in problems}), 16, "distinct within a sheet")
            self.assertEqual([(a, b) for a, b, _ in answered], [(a, b) for a, b, _ in problems])
            for a, b, product in answered:
                exact = Decimal(a) * Decimal(b)
                self.assertTrue(low <= exact <= high, (a, b))
                self.assertEqual(product, plain(exact), (a, b))

    def test_the_same_problems_as_tavrelo_sheets(self):
        for count in ("12", "6", "20"):
            with self.subTest(problems=count):
                self.same_problems_as_tavrelo_sheets(count)

    def same_problems_as_tavrelo_sheets(self, count):
        options = {"preset": "g5-hundredths-x-tenths", "seed": "2024", "sheets": "2", "problems": count,
                   "answers": "none", "paper": "B5"}
        self.page.open("&".join(k + "=" + v for k, v in options.items()))
        with tempfile.TemporaryDirectory() as folder:
            ours = pdf_pages(self.page.print_pdf(os.path.join(folder, "page.pdf")))
            theirs_path = os.path.join(folder, "sheets.pdf")
            self.assertEqual(sheets_pdf(options.items(), theirs_path).returncode, 0)
            theirs = pdf_pages(theirs_path)
            # The print style's paper is the paper tavrelo-sheets writes: JIS B5 here.
            for ours_size, theirs_size in zip(page_sizes(os.path.join(folder, "page.pdf"))[0], page_sizes(theirs_path)[0]):
                self.assertAlmostEqual(ours_size, theirs_size, delta=1.0)
        self.assertEqual(len(ours), 2)
        self.assertEqual(len(theirs), 2)
        for a, b in zip(ours, theirs):
            self.assertEqual(len(problems_of(a)), int(count))
            self.assertEqual(problems_of(a), problems_of(b))

    def test_six_counts_offered_and_each_kept_in_the_address(self):
        counts = ["6", "8", "10", "12", "16", "20"]
        self.page.open("seed=3")
        self.assertEqual(self.page.js("return Array.from(document.getElementsByName('QNumPattern')).map(e => e.id)"),
                         ["QNum" + n for n in counts])
        for count in counts:
            with self.subTest(problems=count):
                self.page.open("seed=3")
                self.page.click("QNum" + count)
                self.assertEqual(self.page.press("btnPreview"), "drawn")
                drawn = self.page.sheets()
                self.assertEqual([sum(t.startswith("×") for t in texts) for _, _, _, texts in drawn],
                                 [int(count)] * 2)
                fragment = self.page.js("return location.hash").lstrip("#")
                self.assertIn("problems=" + count + "&", fragment)
                self.page.open(fragment)
                self.assertTrue(self.page.selected("QNum" + count))
                self.assertEqual(self.page.sheets(), drawn)

    def test_a_set_that_cannot_be_completed_warns_and_shows_what_it_has(self):
        self.page.open()
        self.page.set("AnsLow", "1")
        self.page.set("AnsHigh", "1.5")
        self.assertEqual(self.page.press("btnPreview"), "drawn")
        self.assertEqual(self.page.dialog(), ["警告", "今の条件では、指定された問題数が確保できません。"])
        self.page.close_dialog()

    def test_one_hundred_sheets_print_as_one_pdf(self):
        self.page.open("sheets=100&answers=after&seed=3")
        self.assertEqual(self.page.state(), "drawn")
        self.assertEqual(self.page.js("return document.querySelectorAll('section.sheet').length"), 200)
        with tempfile.TemporaryDirectory() as folder:
            path = self.page.print_pdf(os.path.join(folder, "hundred.pdf"))
            info = subprocess.run(["pdfinfo", path], check=True, capture_output=True, text=True).stdout
            pages = pdf_pages(path)
        self.assertRegex(info, r"Pages:\s+200\n")
        self.assertIn("問題No.100", pages[198])
        self.assertIn("こたえ", pages[199])


def page_sizes(path):
    """Each page's width and height in points, as pdfinfo gives them."""
    info = subprocess.run(["pdfinfo", "-f", "1", "-l", "100000", path], check=True, capture_output=True,
                          text=True).stdout
    return [(float(w), float(h)) for w, h in re.findall(r"Page +\d+ size:\s+([\d.]+) x ([\d.]+) pts", info)]


# The papers in millimetres as their standards give them (B5 and B4 are JIS B), one address each.
PAPERS = [("A4", 210, 297), ("B5", 182, 257), ("B4", 257, 364), ("A3", 297, 420), ("Letter", 215.9, 279.4)]
POINTS_PER_MM = 72 / 25.4


class Pages(PageTest):
    def test_every_sheet_prints_as_one_page_of_its_paper_in_order(self):
        for paper, width, height in PAPERS:
            with self.subTest(paper=paper):
                self.page.open("preset=g4-tenths-x-2digit&sheets=2&seed=42&paper=" + paper)
                self.assertEqual(self.page.state(), "drawn")
                drawn = self.page.sheets()
                with tempfile.TemporaryDirectory() as folder:
                    path = self.page.print_pdf(os.path.join(folder, "page.pdf"))
                    sizes = page_sizes(path)
                    texts = subprocess.run(["pdftotext", path, "-"], check=True, capture_output=True,
                                           text=True).stdout.split("\f")[:len(sizes)]
                self.assertEqual(len(drawn), 4)
                self.assertEqual(len(sizes), len(drawn), "one printed page a sheet drawn, no blank page")
                for w, h in sizes:
                    self.assertAlmostEqual(w, width * POINTS_PER_MM, delta=1.0)
                    self.assertAlmostEqual(h, height * POINTS_PER_MM, delta=1.0)
                numbers = [re.findall(r"問題No\.(\d+)", text) for text in texts]
                self.assertEqual(numbers, [[str(number)] for _, _, number, _ in drawn])
                self.assertEqual(["こたえ" in text for text in texts], [answers for _, answers, _, _ in drawn])


def raw_pages(path):
    """The text of each page of a PDF in the order it was drawn (pdftotext -raw)."""
    text = subprocess.run(["pdftotext", "-raw", path, "-"], check=True, capture_output=True, text=True).stdout
    pages = text.split("\f")
    if pages and not pages[-1].strip():
        pages.pop()
    return pages


def numbers_in(words):
    """The sheet numbers, products and page counts of a list page, in drawing order."""
    return [w for w in " ".join(words).split() if re.fullmatch(r"-?" + NUMBER, w)]


class AnswerList(PageTest):
    def test_the_list_is_tavrelo_sheets_and_prints_a_page_each(self):
        options = {"multiplicand": "[1-9].[0-9][1-9]", "multiplier": "[1-9].[1-9]", "seed": "9", "sheets": "40",
                   "problems": "16", "number": "5", "answers": "list", "paper": "B5"}
        self.page.open("&".join(k + "=" + v for k, v in options.items()))
        self.assertEqual(self.page.state(), "drawn")
        self.assertIn("一覧", self.page.js(
            "return Array.from(document.getElementById('answers').options).map(o => o.textContent)"))
        self.assertEqual(self.page.value("answers"), "list")
        drawn = self.page.sheets()
        lists = self.page.js("return Array.from(document.querySelectorAll('section.sheet'))"
                             ".map(s => Number(s.dataset.list || 0))")
        self.assertEqual(lists, [0] * 40 + [1, 2, 3])
        self.assertEqual([(s, a) for s, a, _, _ in drawn[40:]], [(1, True), (19, True), (37, True)])
        with tempfile.TemporaryDirectory() as folder:
            ours_path = self.page.print_pdf(os.path.join(folder, "page.pdf"))
            ours = raw_pages(ours_path)
            theirs_path = os.path.join(folder, "sheets.pdf")
            self.assertEqual(sheets_pdf(options.items(), theirs_path).returncode, 0)
            theirs = raw_pages(theirs_path)
            sizes = page_sizes(ours_path)
        self.assertEqual(len(sizes), 43, "one printed page a page drawn, no blank page")
        self.assertEqual(len(theirs), 43)
        self.assertEqual(["こたえ一覧" in text for text in ours], [False] * 40 + [True] * 3)
        for page in range(40, 43):
            listed = numbers_in(drawn[page][3])
            # Every sheet's number and its sixteen products, and the page's place: "1 / 3".
            self.assertEqual(len(listed), len(range(5, 45)[18 * (page - 40):18 * (page - 39)]) * 17 + 2)
            self.assertEqual(listed, numbers_in([theirs[page]]), "the page draws tavrelo-sheets' list")
            self.assertEqual(sorted(listed), sorted(numbers_in([ours[page]])), "and prints what it draws")


class Fields(PageTest):
    def sheets_message(self, option, value):
        """What tavrelo-sheets says of the same value, without its program and option name."""
        with tempfile.TemporaryDirectory() as folder:
            run = sheets_pdf(["--" + option, value], os.path.join(folder, "x.pdf"))
        self.assertEqual(run.returncode, 2)
        return re.sub(r"^tavrelo-sheets: --[a-z]+: ", "", run.stderr.strip())

    def test_bad_fields_get_the_shared_messages_and_nothing_typed_is_lost(self):
        cases = [("u3h", "a", "problems", "a"), ("AnsLow", "x", "answer", "x:1"), ("PrnNum", "1.5", "number", "1.5"),
                 ("sheets", "0", "sheets", "0"), ("seed", "-1", "seed", "-1")]
        for field, value, option, sheets_value in cases:
            with self.subTest(field=field):
                self.page.open()
                self.page.set(field, value)
                self.assertEqual(self.page.press("btnPreview"), "error")
                self.assertEqual(self.page.error(field), self.sheets_message(option, sheets_value))
                self.assertEqual(self.page.attribute(field, "aria-invalid"), "true")
                self.assertEqual(self.page.value(field), value)
                self.assertEqual(self.page.sheets(), [])

    def test_a_message_goes_to_the_field_it_is_about_whatever_it_quotes(self):
        # Both fields hold "a": the answer range's message quotes it as the digit field's would.
        self.page.open()
        self.page.set("AnsLow", "a")
        self.page.set("u3h", "a")
        self.assertEqual(self.page.press("btnPreview"), "error")
        self.assertEqual(self.page.error("AnsLow"), "'a' は浮動小数点数ではありません")
        self.assertEqual(self.page.attribute("AnsLow", "aria-invalid"), "true")
        self.assertEqual(self.page.error("u3h"), "")
        self.assertIsNone(self.page.attribute("u3h", "aria-invalid"))

    def test_a_textbook_exercise_fills_its_fields_which_stay_the_teachers_to_change(self):
        self.page.open()
        self.page.set("preset", "g4-hundredths-x-1digit")
        expected = {"u5h": "0", "u4l": "1", "u4h": "9", "u3l": "0", "u3h": "9", "u2l": "1", "u2h": "9", "u1h": "0",
                    "d4l": "2", "d4h": "9", "d3h": "0", "AnsLow": "0", "AnsHigh": "1000"}
        for field, value in expected.items():
            self.assertEqual(self.page.value(field), value, field)
        self.page.set("u2l", "2")
        self.assertEqual(self.page.press("btnPreview"), "drawn")
        fragment = self.page.fragment()
        self.assertIn("multiplicand=[1-9].[0-9][2-9]&multiplier=[2-9]&answer=0:1000", fragment)

    def test_a_blank_digit_field_becomes_0(self):
        self.page.open()
        for field in ("u3h", "d4l"):
            self.page.set(field, "")
            self.assertEqual(self.page.value(field), "0")
        # The answer range and the sentence keep what they hold, as the window's do.
        self.page.set("QstSentence", "")
        self.assertEqual(self.page.value("QstSentence"), "")

    def test_the_address_holds_the_run(self):
        self.page.open("multiplicand=[1-9].[0-9][1-9]&multiplier=[2-9]&answer=0:30&problems=12&number=5&seed=77"
                       "&header=name-date-score&zeros=omitted&numbers=off&grid=squares&sentence="
                       + "%E3%81%8B%E3%81%91%E7%AE%97")
        self.assertEqual(self.page.state(), "drawn")
        expected = {"u4l": "1", "u4h": "9", "u3l": "0", "u3h": "9", "u2l": "1", "u2h": "9", "u1l": "0", "u5h": "0",
                    "d4l": "2", "d4h": "9", "d3h": "0", "AnsLow": "0", "AnsHigh": "30", "PrnNum": "5", "seed": "77",
                    "QstSentence": "かけ算", "header": "name-date-score", "zeros": "omitted", "numbers": "off",
                    "grid": "squares"}
        for field, value in expected.items():
            self.assertEqual(self.page.value(field), value, field)
        self.assertTrue(self.page.selected("QNum12"))
        # Squares under each of the twelve figures of both sheets, each figure's lines one shape.
        grids = "return document.querySelectorAll('#sheets-area svg path').length"
        self.assertEqual(self.page.js(grids), 2 * 12)
        first = self.page.sheets()
        self.assertEqual(first[0][2], 5)
        self.assertIn("月", "".join(first[0][3]))
        # A Preview writes its run into the address; the address opens the same sheets anywhere.
        self.page.set("seed", "")
        self.page.set("PrnNum", "9")
        self.assertEqual(self.page.press("btnPreview"), "drawn")
        drawn = self.page.sheets()
        fragment = self.page.js("return location.hash").lstrip("#")
        self.assertIn("seed=" + self.page.text("seedShown"), fragment)
        self.page.open(fragment)
        self.assertEqual(self.page.sheets(), drawn)

    def test_bad_values_in_an_address_draw_nothing(self):
        cases = [("problems=14&sheets=3", "--problems: '14' は 6、8、10、12、16、20 のどれでもありません"),
                 ("sheets=101", "--sheets: '101' は 1 から 100 までの枚数ではありません"),
                 ("multiplier=[2-9&seed=1", None)]
        for fragment, message in cases:
            with self.subTest(fragment=fragment):
                self.page.open(fragment)
                self.assertEqual(self.page.state(), "error")
                self.assertEqual(self.page.sheets(), [])
                title, text = self.page.dialog()
                if message is None:
                    # The same words as tavrelo-sheets for the same value.
                    with tempfile.TemporaryDirectory() as folder:
                        run = sheets_pdf(["--multiplier", "[2-9"], os.path.join(folder, "x.pdf"))
                    message = run.stderr.strip().replace("tavrelo-sheets: ", "")
                self.assertIn(message, text)
                self.page.close_dialog()

    def test_the_sentence_is_printed_as_written_never_run(self):
        sentence = "<img src=x onerror=alert(1)> & <b>太字</b>"
        self.page.open()
        self.page.set("QstSentence", sentence)
        self.assertEqual(self.page.press("btnPreview"), "drawn")
        self.assertIn(sentence, self.page.sheets()[0][3])
        self.assertEqual(self.page.js("return document.querySelectorAll('img, b').length"), 0)
        self.assertEqual(self.page.js("return document.querySelectorAll('#sheets-area script').length"), 0)

    def test_the_last_settings_come_back(self):
        self.page.open()
        self.page.set("QstSentence", "また会いましょう")
        self.page.set("u4h", "5")
        self.page.set("paper", "B5")
        self.page.set("grid", "squares")
        self.assertEqual(self.page.press("btnPreview"), "drawn")
        self.page.open(fresh=False)
        self.assertEqual(self.page.value("QstSentence"), "また会いましょう")
        self.assertEqual(self.page.value("u4h"), "5")
        self.assertEqual(self.page.value("paper"), "B5")
        self.assertEqual(self.page.value("grid"), "squares")
        self.page.js("localStorage.clear()")


class Printing(PageTest):
    def print_and_wait_for_the_next(self):
        # The print dialog is the browser's own: a stand-in that, like it, reports when it closes.
        self.page.js("window.print = () => { window.printed = (window.printed || 0) + 1;"
                     "window.dispatchEvent(new Event('afterprint')); };")
        draws = self.page.draws()
        self.page.click("btnPrint")
        self.page.wait(lambda: self.page.draws() > draws)
        self.assertEqual(self.page.js("return window.printed"), 1)

    def test_print_then_the_next_numbers_as_the_window_does(self):
        self.page.open("seed=5&sheets=2&number=10")
        before = self.page.sheets()
        self.print_and_wait_for_the_next()
        self.assertEqual(self.page.value("PrnNum"), "12")
        after = self.page.sheets()
        self.assertEqual([p[2] for p in after], [12, 12, 13, 13])
        # The same problems, renumbered.
        strip = lambda texts: [t for t in texts if not t.startswith("問題No.")]
        self.assertEqual([strip(p[3]) for p in after], [strip(p[3]) for p in before])

    def test_a_blank_seed_stays_blank_after_a_print(self):
        # Blank means new problems each time: the printed run's seed renumbers its sheets, but is
        # neither put into the field nor remembered for the next visit.
        self.page.open()
        self.assertEqual(self.page.value("seed"), "")
        self.assertEqual(self.page.press("btnPreview"), "drawn")
        shown = self.page.text("seedShown")
        self.print_and_wait_for_the_next()
        self.assertEqual(self.page.value("PrnNum"), "2")
        self.assertEqual(self.page.text("seedShown"), shown)
        self.assertEqual(self.page.value("seed"), "")
        self.page.open(fresh=False)
        self.assertEqual(self.page.value("seed"), "")
        self.assertEqual(self.page.value("PrnNum"), "2")
        self.page.js("localStorage.clear()")

    def test_every_paper_is_offered_and_one_from_the_address_stays_chosen(self):
        self.page.open()
        offered = self.page.js("return Array.from(document.getElementById('paper').options).map(o => o.value)")
        self.assertEqual(offered, [paper for paper, _, _ in PAPERS])
        for paper in ("Letter", "B4", "A3"):
            with self.subTest(paper=paper):
                self.page.open("seed=6&number=3&paper=" + paper.lower())
                self.assertEqual(self.page.value("paper"), paper)
                self.assertEqual(self.page.press("btnPreview"), "drawn")
                self.print_and_wait_for_the_next()
                self.assertEqual(self.page.state(), "drawn")
                self.assertEqual(self.page.value("PrnNum"), "4")
                self.assertEqual([p[2] for p in self.page.sheets()], [4, 4])
                self.assertEqual(self.page.value("paper"), paper)

    def test_nothing_may_come_from_the_network(self):
        self.page.open()
        policy = self.page.js("return document.querySelector('meta[http-equiv=Content-Security-Policy]').content")
        self.assertIn("default-src 'none'", policy)
        self.assertNotIn("http", policy)
        # A request the page might make is refused by the policy itself, network or not.
        refused = self.page.js_async(
            "const done = arguments[0];"
            "fetch('https://example.org/').then(() => done('fetched'), () => done('refused'));")
        self.assertEqual(refused, "refused")

    def test_no_console_errors_and_nothing_refused(self):
        # A load the page's own policy refuses says so in the console as an error in each engine.
        for fragment, preview in (("", False), ("", True), ("seed=4&sheets=2&paper=B5", True)):
            with self.subTest(fragment=fragment, preview=preview):
                self.assertEqual(self.page.console_errors(fragment, preview), [])


class Keyboard(PageTest):
    def test_the_window_tab_order_and_enter_on_a_button(self):
        self.page.open()
        self.page.click("u1l")
        order = ["u1l", "u1h", "u2l", "u2h", "u3l", "u3h", "u4l", "u4h", "d1l", "d1h", "d2l", "d2h", "d3l", "d3h",
                 "d4l", "d4h", "AnsLow", "AnsHigh", "PrnNum", "QstSentence", "btnPreview", "QNum16", "u5l", "u5h",
                 "d5l", "d5h"]
        seen = []
        for _ in order:
            seen.append(self.page.js("return document.activeElement.id"))
            self.page.key("Tab")
        # The print button is skipped while it is disabled; one radio button of a group takes the tab.
        self.assertEqual(seen, order)
        # The order is the document's, with no numbers to keep in step with it.
        self.assertEqual(self.page.js("return Array.from(document.querySelectorAll('[tabindex]'))"
                                      ".filter(e => e.tabIndex > 0).map(e => e.id)"), [])
        self.page.js("document.getElementById('btnPreview').focus()")
        before = self.page.draws()
        self.page.key("Enter")
        self.page.wait(lambda: self.page.draws() > before)
        self.assertEqual(self.page.state(), "drawn")


class Screens(unittest.TestCase):
    def test_no_sideways_scrolling_on_small_screens(self):
        if not browser.HTML or not os.path.exists(browser.HTML):
            self.skipTest("no page")
        for width, height in ((1366, 768), (1024, 768), (768, 1024)):
            with self.subTest(size=(width, height)):
                page = browser.Page(width, height)
                try:
                    page.open("seed=1")
                    sizes = page.js("const e = document.documentElement; return [e.scrollWidth, e.clientWidth];")
                    self.assertLessEqual(sizes[0], sizes[1])
                    small = page.js("return Array.from(document.querySelectorAll('button, input[type=text], select'))"
                                    ".filter(e => e.offsetParent && e.getBoundingClientRect().height < 36).length")
                    self.assertEqual(small, 0, "controls large enough for a finger")
                finally:
                    page.close()


class Offline(PageTest):
    offline = True

    def test_works_with_the_network_blocked_and_asks_it_nothing(self):
        self.page.open("seed=8&sheets=2")
        self.assertEqual(self.page.state(), "drawn")
        self.assertEqual(len(self.page.sheets()), 4)
        requests = self.page.js("return performance.getEntriesByType('resource').map(e => e.name)")
        self.assertEqual([r for r in requests if not r.startswith(("data:", "blob:"))], [])


if __name__ == "__main__":
    browser.main()
