// The showing mode's view: the teacher works a sheet's problems step by step on the classroom's
// screen, large enough to be read from the back of the room. Every digit, carry, highlight and
// sentence comes from the steps of the module's practice answer: the view only lays them out and
// shows steps 0..k, so going back is as easy as going forward.
const ShowView = (function () {
  const $ = (id) => document.getElementById(id);
  const el = (tag, className, text) => {
    const e = document.createElement(tag);
    if (className) e.className = className;
    if (text !== undefined) e.textContent = text;
    return e;
  };
  // Lines of the figure as the page names them: the two factors, then the model's own lines (a
  // partial row's index, or -1 for the product).
  const MULTIPLICAND = "a", MULTIPLIER = "b", PRODUCT = -1;
  // Heights in cells: a carry's band above a line, the space a rule takes.
  const MEMO_BAND = 0.5, RULE_GAP = 0.25;

  const state = { sheet: null, problem: 0, step: -1, figure: null, drawn: null };

  // ---- the sentence a step says, from its own numbers

  // The digits a step writes, left to right, as the figure shows them.
  function written(figure, step) {
    return step.cells
      .map((i) => figure.cells[i])
      .sort((x, y) => y.column - x.column)
      .map((c) => String(c.digit))
      .join("");
  }

  // What becomes of a digit product's or a column's value: written whole, or its last digit
  // written and the rest carried; a zero the figure leaves out is said so.
  function outcome(figure, step) {
    const digits = written(figure, step);
    if (step.carryOut > 0) {
      return digits ? digits + " を 書いて " + step.carryOut + " くり上がる" : "0 は 書かないで " + step.carryOut + " くり上がる";
    }
    if (!digits) return "0 は 書かない";
    if (digits.length < String(step.value).length) return digits + " を 書く（0 は 書かない）";
    return digits + " を 書く";
  }

  function withCarry(what, step) {
    return step.carryIn > 0 ? what + " に くり上がりの " + step.carryIn + " を たして " + step.value : what + " = " + step.value;
  }

  function sentence(figure, k) {
    if (k < 0) return figure.multiplicand.text + " × " + figure.multiplier.text + " を ひっ算で 計算しよう。";
    const step = figure.steps[k];
    switch (step.kind) {
      case "digitProduct":
        return withCarry(step.multiplicandDigit + " × " + step.multiplierDigit, step) + "、" + outcome(figure, step);
      case "zeroRow":
        return "0 を かけると 0。0 を 書く";
      case "shiftedZeros":
        return "かける数の 0 を そのまま おろす";
      case "rule":
        return "線を ひいて、たてに たし算を する";
      case "columnSum":
        if (step.addends.length === 0) return "くり上がりの " + step.carryIn + " を おろす";
        if (step.addends.length === 1 && step.carryIn === 0) return step.addends[0] + " を そのまま おろす";
        return withCarry(step.addends.join(" + "), step) + "、" + outcome(figure, step);
      case "pointZeros":
        return "小数点を うてるように、0 を 書く";
      case "point": {
        // A whole factor is left out of the count: "0 けた" would only puzzle.
        const a = figure.point.multiplicandDigits, b = figure.point.multiplierDigits;
        const count = !b ? "かけられる数の 小数点の 右は " + a + " けた。"
          : !a ? "かける数の 小数点の 右は " + b + " けた。"
          : "小数点の 右の けたは " + a + " けたと " + b + " けたで " + step.column + " けた。";
        return count + "答えも 右から " + step.column + " けたの ところに 点を うつ";
      }
      case "strike":
        return figure.point.struck ? "小数点の 右が 0 だけなので、0 と 点を 消す" : "おわりの 0 は いらないので 消す";
    }
    return "";
  }

  // ---- the figure, laid out once per problem in cells of the size --u

  // Which lines a figure has, top down, and where each starts (in cells): the factors, their
  // rule, the partial rows with their carries' bands, the rule over the sum, the product.
  function layout(figure) {
    const tops = {};
    let y = 0;
    tops[MULTIPLICAND] = y;
    tops[MULTIPLIER] = (y += 1);
    y += 1 + RULE_GAP;
    const ruleUnderFactors = y;
    // The carries below a rule stand clear of it.
    y += RULE_GAP / 2;
    const rowsTop = y;
    figure.rows.forEach((row, r) => {
      tops[r] = y + MEMO_BAND;
      y += MEMO_BAND + 1;
    });
    let ruleOverSum = null;
    if (figure.rows.length) {
      y += RULE_GAP;
      ruleOverSum = y;
      y += RULE_GAP / 2;
    }
    tops[PRODUCT] = y + MEMO_BAND;
    y += MEMO_BAND + 1;
    let columns = figure.ruleColumns;
    for (const c of figure.multiplicand.cells.concat(figure.multiplier.cells, figure.cells, figure.memos)) {
      columns = Math.max(columns, c.column + 1);
    }
    // One more column on the left for the "×".
    return { tops: tops, height: y, columns: columns + 1, rowsTop: rowsTop, ruleUnderFactors: ruleUnderFactors,
             ruleOverSum: ruleOverSum };
  }

  function place(e, geometry, column, top, width, height) {
    e.style.left = "calc(var(--u) * " + (geometry.columns - 1 - column) + ")";
    e.style.top = "calc(var(--u) * " + top + ")";
    if (width !== undefined) e.style.width = "calc(var(--u) * " + width + ")";
    if (height !== undefined) e.style.height = "calc(var(--u) * " + height + ")";
    return e;
  }

  function pointAt(geometry, line, column) {
    const p = el("span", "point");
    p.dataset.line = line;
    p.dataset.column = column;
    // On the line's baseline, in the gap right of the column's digit.
    place(p, geometry, column - 1, geometry.tops[line] + 0.72, 0.001, 0.001);
    return p;
  }

  function buildFigure(figure) {
    const geometry = layout(figure);
    const box = el("div", "show-figure");
    box.id = "showFigure";
    box.style.setProperty("--columns", geometry.columns);
    box.style.setProperty("--lines", geometry.height);
    const drawn = { box: box, geometry: geometry, cells: [], memos: [], factors: {}, point: null, rule: null, band: null };

    // The column being added, behind its digits from the first row down to the product.
    drawn.band = place(el("div", "show-band"), geometry, 0, geometry.rowsTop, 1, geometry.height - geometry.rowsTop);
    box.appendChild(drawn.band);

    for (const [line, number] of [[MULTIPLICAND, figure.multiplicand], [MULTIPLIER, figure.multiplier]]) {
      for (const c of number.cells) {
        const e = place(el("span", "cell factor", String(c.digit)), geometry, c.column, geometry.tops[line], 1, 1);
        e.dataset.line = line;
        e.dataset.column = c.column;
        drawn.factors[line + ":" + c.column] = e;
        box.appendChild(e);
      }
      if (number.point !== null) box.appendChild(pointAt(geometry, line, number.point));
    }
    box.appendChild(place(el("span", "cell times", "×"), geometry, geometry.columns - 1, geometry.tops[MULTIPLIER], 1, 1));
    box.appendChild(place(el("div", "rule"), geometry, geometry.columns - 1, geometry.ruleUnderFactors, geometry.columns));

    figure.cells.forEach((c, i) => {
      const e = place(el("span", "cell written", String(c.digit)), geometry, c.column, geometry.tops[c.line], 1, 1);
      e.dataset.line = c.line;
      e.dataset.column = c.column;
      e.dataset.cell = i;
      drawn.cells.push(e);
      box.appendChild(e);
    });
    figure.memos.forEach((m, i) => {
      const e = place(el("span", "memo", String(m.value)), geometry, m.column, geometry.tops[m.line] - MEMO_BAND, 1, MEMO_BAND);
      e.dataset.line = m.line;
      e.dataset.column = m.column;
      e.dataset.memo = i;
      drawn.memos.push(e);
      box.appendChild(e);
    });
    if (geometry.ruleOverSum !== null) {
      drawn.rule = place(el("div", "rule"), geometry, figure.ruleColumns - 1, geometry.ruleOverSum, figure.ruleColumns);
      box.appendChild(drawn.rule);
    }
    if (figure.point.column !== null) {
      drawn.point = pointAt(geometry, PRODUCT, figure.point.column);
      box.appendChild(drawn.point);
    }
    return drawn;
  }

  // ---- one step shown: what steps 0..k wrote, step k's part highlighted

  function stepOf(kind) {
    return state.figure.steps.findIndex((s) => s.kind === kind);
  }

  function showStep(k) {
    const figure = state.figure, drawn = state.drawn;
    state.step = k;
    const step = k >= 0 ? figure.steps[k] : null;
    const now = new Set(step ? step.cells : []);
    const strikeStep = stepOf("strike");
    drawn.cells.forEach((e, i) => {
      const c = figure.cells[i];
      e.classList.toggle("later", c.step > k);
      e.classList.toggle("struck", c.strike && strikeStep >= 0 && strikeStep <= k);
      e.classList.toggle("now", now.has(i));
    });
    drawn.memos.forEach((e, i) => {
      const m = figure.memos[i];
      e.classList.toggle("later", m.step > k);
      e.classList.toggle("now", step !== null && step.memo === i);
      // The carry this step adds in: the one carried into its column of its line.
      e.classList.toggle("used", step !== null && step.carryIn > 0 && m.step < k && m.line === step.line && m.column === step.column);
    });
    for (const e of Object.values(drawn.factors)) e.classList.remove("now");
    if (step && step.kind === "digitProduct") {
      drawn.factors[MULTIPLICAND + ":" + step.multiplicandColumn].classList.add("now");
      drawn.factors[MULTIPLIER + ":" + step.multiplierColumn].classList.add("now");
    }
    if (step && step.kind === "zeroRow") {
      const row = figure.rows[step.line];
      const e = drawn.factors[MULTIPLIER + ":" + row.place];
      if (e) e.classList.add("now");
    }
    const adding = step && step.kind === "columnSum";
    drawn.band.hidden = !adding;
    if (adding) drawn.band.style.left = "calc(var(--u) * " + (drawn.geometry.columns - 1 - step.column) + ")";
    if (drawn.rule) {
      const ruleStep = stepOf("rule");
      drawn.rule.classList.toggle("later", ruleStep < 0 || ruleStep > k);
      drawn.rule.classList.toggle("now", ruleStep === k);
    }
    if (drawn.point) {
      const pointStep = stepOf("point");
      drawn.point.classList.toggle("later", pointStep < 0 || pointStep > k);
      drawn.point.classList.toggle("now", pointStep === k);
      drawn.point.classList.toggle("struck", figure.point.struck && strikeStep >= 0 && strikeStep <= k);
    }

    const last = k === figure.steps.length - 1;
    $("showSay").textContent = sentence(figure, k);
    $("showAnswer").textContent = last ? "こたえ  " + figure.product : "";
    $("showStep").textContent = k < 0 ? "" : k + 1 + " / " + figure.steps.length;
    const focused = document.activeElement;
    $("showBack").disabled = k < 0 && state.problem === 0;
    $("showNext").disabled = last && state.problem === state.sheet.figures.length - 1;
    // A button disabled under the focus would leave the keys with nowhere to go in some engines.
    if (focused && focused.disabled) (focused.id === "showNext" ? $("showBack") : $("showNext")).focus();
    // On the section, not on <html>: a change there would have the whole page's style looked at again.
    $("show").dataset.step = String(k);
  }

  // The address names the problem on screen: a page reloaded by mistake comes back to it.
  function remember(problem) {
    const params = new URLSearchParams(location.hash.replace(/^#/, ""));
    params.set("problem", String(problem));
    try {
      history.replaceState(null, "", "#" + params.toString());
    } catch (e) {
      /* a page opened from some file viewers cannot rewrite its address */
    }
  }

  function showProblem(index, k) {
    const sheet = state.sheet;
    state.problem = index;
    state.figure = sheet.figures[index];
    state.drawn = buildFigure(state.figure);
    $("showStage").replaceChildren(state.drawn.box);
    $("showProblem").textContent = "(" + state.figure.problem + ") / " + sheet.count;
    $("showExpression").textContent = state.figure.multiplicand.text + " × " + state.figure.multiplier.text;
    const focused = document.activeElement;
    $("showPrevProblem").disabled = index === 0;
    $("showNextProblem").disabled = index === sheet.figures.length - 1;
    if (focused && focused.disabled) (focused.id === "showNextProblem" ? $("showPrevProblem") : $("showNextProblem")).focus();
    document.documentElement.dataset.showProblem = String(state.figure.problem);
    remember(state.figure.problem);
    fit();
    showStep(k === "end" ? state.figure.steps.length - 1 : k);
  }

  // The figure as large as the stage lets it be: a cell's size from the stage's and the figure's.
  function fit() {
    const drawn = state.drawn;
    if (!drawn) return;
    const stage = $("showStage");
    const u = Math.floor(Math.min(stage.clientWidth / (drawn.geometry.columns + 0.5), stage.clientHeight / (drawn.geometry.height + 0.3)));
    drawn.box.style.setProperty("--u", Math.max(u, 8) + "px");
  }

  // ---- moving: a step, a problem

  function forward() {
    if (state.step < state.figure.steps.length - 1) showStep(state.step + 1);
    else if (state.problem < state.sheet.figures.length - 1) showProblem(state.problem + 1, -1);
  }

  function back() {
    if (state.step >= 0) showStep(state.step - 1);
    else if (state.problem > 0) showProblem(state.problem - 1, "end");
  }

  function toProblem(index) {
    if (index >= 0 && index < state.sheet.figures.length) showProblem(index, -1);
  }

  const KEYS = {
    ArrowRight: forward, ArrowDown: forward, " ": forward, Enter: forward,
    ArrowLeft: back, ArrowUp: back, Backspace: back,
    PageDown: () => toProblem(state.problem + 1),
    PageUp: () => toProblem(state.problem - 1),
    Home: () => showStep(-1),
    End: () => showStep(state.figure.steps.length - 1),
  };

  function onKey(event) {
    const move = KEYS[event.key];
    if (!move || event.altKey || event.ctrlKey || event.metaKey) return;
    // Space and Enter on a focused button are its own click already.
    if ((event.key === " " || event.key === "Enter") && event.target instanceof HTMLButtonElement) return;
    event.preventDefault();
    move();
  }

  function build(section) {
    section.replaceChildren();
    const bar = el("div", "show-bar");
    const sheetLabel = el("span", "show-sheet");
    sheetLabel.id = "showSheet";
    const problem = el("span", "show-problem");
    problem.id = "showProblem";
    const expression = el("span", "show-expression");
    expression.id = "showExpression";
    const prev = el("button", "show-small", "◀ まえの もんだい");
    prev.id = "showPrevProblem";
    prev.type = "button";
    const next = el("button", "show-small", "つぎの もんだい ▶");
    next.id = "showNextProblem";
    next.type = "button";
    bar.append(sheetLabel, prev, problem, next, expression);
    const stage = el("div", "show-stage");
    stage.id = "showStage";
    const say = el("p", "show-say");
    say.id = "showSay";
    say.setAttribute("aria-live", "polite");
    const answer = el("span", "show-answer");
    answer.id = "showAnswer";
    const buttons = el("div", "show-buttons");
    const backButton = el("button", "show-big", "◀ もどる");
    backButton.id = "showBack";
    backButton.type = "button";
    const stepCount = el("span", "show-step");
    stepCount.id = "showStep";
    const nextButton = el("button", "show-big", "すすむ ▶");
    nextButton.id = "showNext";
    nextButton.type = "button";
    // The step's count and, once worked out, the answer: between the buttons, so that the words
    // above keep their two lines whatever the step.
    const middle = el("div", "show-middle");
    middle.append(answer, stepCount);
    buttons.append(backButton, middle, nextButton);
    const words = el("div", "show-words");
    words.append(say);
    section.append(bar, stage, words, buttons);
    backButton.addEventListener("click", back);
    nextButton.addEventListener("click", forward);
    prev.addEventListener("click", () => toProblem(state.problem - 1));
    next.addEventListener("click", () => toProblem(state.problem + 1));
  }

  let listening = false;

  return {
    // ctx: {api, texts, query}: the module's functions, the window's words, the address. The
    // address's problem=K, if any, is where the showing starts; the sheet is asked for whole.
    open(ctx) {
      const section = $("show");
      section.hidden = false;
      const params = new URLSearchParams(ctx.query);
      const start = Number(params.get("problem")) || 1;
      params.delete("problem");
      const sheet = ctx.api.practice(params.toString());
      if (sheet.errors.length) {
        section.replaceChildren(el("p", "show-error", sheet.errors.map((e) => e.message).join("\n")));
        return;
      }
      state.sheet = sheet;
      build(section);
      // As the printed sheet heads itself, so that the class finds the one in their hands.
      $("showSheet").textContent = "問題No." + sheet.number;
      document.documentElement.dataset.showSheet = String(sheet.number);
      showProblem(Math.min(Math.max(start, 1), sheet.figures.length) - 1, -1);
      if (!listening) {
        listening = true;
        document.addEventListener("keydown", onKey);
        window.addEventListener("resize", fit);
      }
      $("showNext").focus();
    },
  };
})();
