// The practice mode's view: a pupil works the problems of one printed sheet, digit by digit. Every
// cell, the order they are filled in, each check and each hint come from the module; this view
// keeps what the pupil wrote, draws it and keeps it on the device.
const PracticeView = (function () {
  const $ = (id) => document.getElementById(id);
  const STORE_VERSION = 1;
  const NAME_KEY = "tavrelo-practice-name";
  const UPPER = ["一", "十", "百", "千", "万", "十万", "百万"];
  const LOWER = ["第一", "第二", "第三", "第四", "第五", "第六", "第七", "第八", "第九", "第十"];
  let ctx = null;
  let sheet = null; // the module's practice answer for the sheet
  let settings = null; // {check, guide, query (the sheet's address, without mode and the view's own keys)}
  let run = null; // what is kept: see fresh()
  let storageKey = null;
  let canStore = true;
  let selected = null; // {kind: "cell", index}, {kind: "memo", index} or {kind: "spare", key}
  let armed = null; // the cell a tap began on while it was already chosen

  function el(tag, attributes, text) {
    const e = document.createElement(tag);
    for (const [k, v] of Object.entries(attributes || {})) {
      if (k === "class") e.className = v;
      else e.setAttribute(k, v);
    }
    if (text !== undefined) e.textContent = text;
    return e;
  }

  // --- the address and what the link asks for

  function readSettings(query) {
    const params = new URLSearchParams(query);
    const check = params.get("check") === "end" ? "end" : "each";
    const guide = params.get("guide") !== "off";
    for (const key of ["mode", "check", "guide", "problem", "judge"]) params.delete(key);
    return { check: check, guide: guide, query: params.toString(), practice: Number(params.get("practice") || 1) };
  }

  function figure(k) {
    return sheet.figures[k];
  }

  function judge(extra) {
    return ctx.api.judge(settings.query + "&problem=" + figure(run.current).problem + "&" + extra);
  }

  // --- what is kept on the device

  function fresh(order) {
    return {
      v: STORE_VERSION,
      name: run ? run.name : "",
      order: order, // the problems (indexes into figures) of this round, in order
      at: 0, // the place in `order` being worked
      current: order[0],
      started: Date.now(),
      // per problem: {digits: {cell: digit}, memos, point, struck: [columns], wrong: {cell: hint},
      // spare: {"line:column": digit} and spareWrong: {"line:column": hint} for the spare cells}
      work: {},
      marks: {}, // per problem: {first: right the first time, mistakes: {kind: count}}
    };
  }

  function work(k) {
    if (!run.work[k]) run.work[k] = { digits: {}, memos: {}, point: null, struck: [], wrong: {}, note: "" };
    const w = run.work[k];
    if (!w.spare) w.spare = {};
    if (!w.spareWrong) w.spareWrong = {};
    return w;
  }

  function mark(k) {
    if (!run.marks[k]) run.marks[k] = { first: true, done: false, mistakes: {} };
    return run.marks[k];
  }

  function save() {
    if (!canStore) return;
    try {
      localStorage.setItem(storageKey, JSON.stringify(run));
    } catch (e) {
      canStore = false;
      say("この たんまつには きろくを のこせません。このまま つづけられます。");
    }
  }

  // A kept state this page can take: anything else (another version, edited by hand) is refused.
  function readable(kept) {
    if (!kept || kept.v !== STORE_VERSION || !Array.isArray(kept.order) || !kept.order.length) return false;
    if (!kept.order.every((k) => Number.isInteger(k) && k >= 0 && k < sheet.figures.length)) return false;
    if (!Number.isInteger(kept.at) || kept.at < 0 || kept.at >= kept.order.length) return false;
    if (typeof kept.work !== "object" || typeof kept.marks !== "object" || !kept.work || !kept.marks) return false;
    for (const [k, w] of Object.entries(kept.work)) {
      const f = sheet.figures[Number(k)];
      if (!f || typeof w.digits !== "object" || !Array.isArray(w.struck)) return false;
      for (const [i, d] of Object.entries(w.digits)) {
        if (!f.cells[Number(i)] || !Number.isInteger(d) || d < 0 || d > 9) return false;
      }
      if (w.spare !== undefined) {
        if (typeof w.spare !== "object" || !w.spare) return false;
        const spots = spares(f).map((s) => s.key);
        for (const [key, d] of Object.entries(w.spare)) {
          if (!spots.includes(key) || !Number.isInteger(d) || d < 0 || d > 9) return false;
        }
      }
    }
    return typeof kept.started === "number";
  }

  function restore(name) {
    storageKey = "tavrelo-practice|" + settings.query + "|" + settings.check + "|" + name;
    let text = null;
    try {
      text = localStorage.getItem(storageKey);
      localStorage.setItem(NAME_KEY, name);
    } catch (e) {
      canStore = false;
    }
    run = null;
    let kept = null;
    let unreadable = false;
    if (text !== null) {
      try {
        kept = JSON.parse(text);
      } catch (e) {
        kept = null;
      }
      if (!readable(kept)) {
        unreadable = true;
        kept = null;
      }
    }
    run = kept || fresh(sheet.figures.map((_, k) => k));
    run.name = name;
    run.current = run.order[run.at];
    if (unreadable) say("まえの きろくが よめなかったので、はじめから します。");
    else if (!canStore) say("この たんまつには きろくを のこせません。このまま つづけられます。");
    save();
  }

  function say(text) {
    const note = $("pr-note");
    if (note) note.textContent = text;
    root().dataset.note = text;
  }

  function root() {
    return $("practice");
  }

  // --- the cells: where each stands, what it is called

  function placeName(f, column) {
    const ones = f.point.multiplicandDigits + f.point.multiplierDigits;
    const place = column - ones;
    return place >= 0 ? (UPPER[place] || String(place)) + "の位" : "小数" + (LOWER[-place - 1] || "") + "位";
  }

  function lineName(f, line) {
    return line === -1 ? "こたえ" : line + 1 + "だんめ";
  }

  // An empty cell beside each end of a partial row, as on paper there is room to write a row one
  // column off: the mistake the check can then name. The product has none: its place is ruled.
  function spares(f) {
    const spots = [];
    const lines = [...new Set(f.cells.map((c) => c.line))].filter((l) => l !== -1);
    for (const line of lines) {
      const columns = f.cells.filter((c) => c.line === line).map((c) => c.column);
      const lowest = Math.min(...columns), highest = Math.max(...columns);
      for (const column of lowest > 0 ? [highest + 1, lowest - 1] : [highest + 1]) {
        spots.push({ line: line, column: column, key: line + ":" + column });
      }
    }
    return spots;
  }

  function spareAt(key) {
    const [line, column] = key.split(":").map(Number);
    return { line: line, column: column, key: key };
  }

  // A digit in a spare cell is never right: checked digit by digit, it waits to be erased.
  function strayPending(k) {
    return settings.check === "each" ? Object.keys(work(k).spare)[0] || null : null;
  }

  function nextCell(k) {
    const f = figure(k), w = work(k);
    for (let i = 0; i < f.cells.length; ++i) {
      if (w.digits[i] === undefined || w.wrong[i] !== undefined) return i;
    }
    return null;
  }

  // What remains of the problem once every digit is in: the point, then the strikes.
  function pointPending(k) {
    const f = figure(k), w = work(k);
    return f.point.column !== null && w.point !== f.point.column;
  }

  function strikesPending(k) {
    const f = figure(k), w = work(k);
    return f.cells.some((c) => c.strike && c.line === -1 && !w.struck.includes(c.column));
  }

  // --- drawing

  function build() {
    const section = root();
    section.textContent = "";
    section.append(
      el("div", { class: "pr-bar" }),
      el("p", { id: "pr-note", role: "status", "aria-live": "polite" }),
      el("div", { id: "pr-body" }),
    );
  }

  function bar() {
    const b = root().querySelector(".pr-bar");
    b.textContent = "";
    const f = figure(run.current);
    b.append(
      el("span", { id: "pr-who" }, run.name + " さん"),
      el("span", { id: "pr-which" }, "プリント No." + sheet.number + "　(" + f.problem + ")　" + (run.at + 1) + " / " + run.order.length),
    );
    const guide = el("button", { type: "button", id: "pr-guide" });
    guide.addEventListener("click", () => {
      settings.guide = !settings.guide;
      refresh();
    });
    b.append(guide);
  }

  // The problem drawn anew: once a problem, a retry or a start. What a key or a tap changes
  // afterwards is refreshed in place (see refresh), so that the digit shows in the same frame.
  function drawProblem() {
    bar();
    const k = run.current, f = figure(k);
    const body = $("pr-body");
    body.textContent = "";
    const spots = spares(f);
    const columns = Math.max(
      ...f.cells.map((c) => c.column), ...f.multiplicand.cells.map((c) => c.column), ...spots.map((s) => s.column),
      ...f.multiplier.cells.map((c) => c.column), f.ruleColumns - 1, ...f.memos.map((m) => m.column), 0) + 1;
    const grid = el("div", { class: "pr-figure", role: "group", "aria-label": "(" + f.problem + ") のひっ算" });
    grid.style.gridTemplateColumns = "repeat(" + (columns + 1) + ", var(--cell))";
    let row = 1;
    const at = (e, column, r) => {
      e.style.gridColumn = String(columns - column + 1);
      e.style.gridRow = String(r);
      grid.append(e);
      return e;
    };
    const factor = (line, name, sign) => {
      for (const c of line.cells) {
        const d = at(el("span", { class: "pr-given", "data-line": name, "data-column": c.column }, String(c.digit)), c.column, row);
        if (line.point === c.column) d.classList.add("pr-pointed");
      }
      if (sign) at(el("span", { class: "pr-given" }, sign), columns, row);
      row += 1;
    };
    const memoRow = (line) => {
      let any = false;
      f.memos.forEach((m, i) => {
        if (m.line !== line) return;
        any = true;
        const b = el("button", { type: "button", class: "pr-memo", id: "pr-memo-" + i,
                                 "aria-label": "くり上がりの メモ " + placeName(f, m.column) });
        b.addEventListener("click", () => choose({ kind: "memo", index: i }));
        b.addEventListener("focus", () => focused({ kind: "memo", index: i }));
        at(b, m.column, row);
      });
      if (any) row += 1;
    };
    const cellRow = (line) => {
      f.cells.forEach((c, i) => {
        if (c.line !== line) return;
        const label = lineName(f, line) + " " + placeName(f, c.column);
        const b = el("button", { type: "button", class: "pr-cell", id: "pr-cell-" + i, "aria-label": label });
        b.dataset.line = String(line);
        b.dataset.column = String(c.column);
        b.addEventListener("pointerdown", () => { armed = selected && selected.kind === "cell" && selected.index === i ? i : null; });
        b.addEventListener("click", () => tapCell(i));
        b.addEventListener("focus", () => focused({ kind: "cell", index: i }));
        at(b, c.column, row);
      });
      for (const spot of spots) {
        if (spot.line !== line) continue;
        const what = { kind: "spare", key: spot.key };
        const b = el("button", { type: "button", class: "pr-spare", id: "pr-spare-" + line + "-" + spot.column,
                                 "aria-label": lineName(f, line) + " " + placeName(f, spot.column) + "（よびの ます）" });
        b.dataset.line = String(line);
        b.dataset.column = String(spot.column);
        b.addEventListener("click", () => choose(what));
        b.addEventListener("focus", () => focused(what));
        at(b, spot.column, row);
      }
      row += 1;
    };
    factor(f.multiplicand, "multiplicand", "");
    factor(f.multiplier, "multiplier", "×");
    grid.append(el("span", { class: "pr-rule", style: "grid-row: " + row + "; grid-column: 1 / -1" }));
    const lines = [...new Set(f.cells.map((c) => c.line))].filter((l) => l !== -1).sort((a, b) => a - b);
    for (const line of lines) {
      memoRow(line);
      cellRow(line);
    }
    if (lines.length) {
      grid.append(el("span", { class: "pr-rule", style: "grid-row: " + row + "; grid-column: " +
                                 (columns - f.ruleColumns + 2) + " / -1" }));
    }
    memoRow(-1);
    cellRow(-1);
    // The gaps between the product's columns, where the point goes: a tap puts it after the
    // digit on the gap's left.
    if (f.point.column !== null) {
      const productColumns = f.cells.filter((c) => c.line === -1).map((c) => c.column);
      for (const column of productColumns) {
        if (column === 0) continue;
        const gap = el("button", { type: "button", class: "pr-gap", id: "pr-gap-" + column,
                                   "aria-label": "小数点を " + placeName(f, column) + "の つぎに うつ" }, "・");
        gap.addEventListener("click", () => placePoint(column));
        at(gap, column, row);
      }
      row += 1;
    }
    body.append(grid);
    body.append(el("p", { id: "pr-hint", role: "alert" }));
    body.append(pad());
    root().dataset.problem = String(f.problem);
    refresh();
  }

  // What the pupil has written so far, put on the drawn figure: only what differs is touched.
  function refresh() {
    const k = run.current, f = figure(k), w = work(k);
    const show = (e, text) => { if (e.textContent !== text) e.textContent = text; };
    const guide = $("pr-guide");
    show(guide, settings.guide ? "ヒントの色: あり" : "ヒントの色: なし");
    guide.setAttribute("aria-pressed", String(settings.guide));
    const pointDone = f.point.struck && !strikesPending(k);
    f.cells.forEach((c, i) => {
      const b = $("pr-cell-" + i);
      show(b, w.digits[i] !== undefined ? String(w.digits[i]) : "");
      const product = c.line === -1;
      b.classList.toggle("pr-wrong", w.wrong[i] !== undefined);
      b.classList.toggle("pr-struck", product && w.struck.includes(c.column));
      b.classList.toggle("pr-pointed", product && w.point === c.column);
      b.classList.toggle("pr-point-struck", product && w.point === c.column && pointDone);
    });
    for (const spot of spares(f)) {
      const b = $("pr-spare-" + spot.line + "-" + spot.column);
      show(b, w.spare[spot.key] !== undefined ? String(w.spare[spot.key]) : "");
      b.classList.toggle("pr-wrong", w.spareWrong[spot.key] !== undefined);
    }
    f.memos.forEach((m, i) => show($("pr-memo-" + i), w.memos[i] !== undefined ? String(w.memos[i]) : ""));
    show($("pr-hint"), w.note || "");
    highlight();
    const target = selectedElement();
    if (target && document.activeElement !== target) target.focus();
  }

  function selectedElement() {
    if (!selected) return null;
    if (selected.kind === "spare") {
      const spot = spareAt(selected.key);
      return $("pr-spare-" + spot.line + "-" + spot.column);
    }
    return $(selected.kind === "cell" ? "pr-cell-" + selected.index : "pr-memo-" + selected.index);
  }

  // The chosen cell, and with the guide on, the two digits its step multiplies (or the column it
  // adds): marked on the drawn figure, which a focus alone does not draw again.
  function highlight() {
    const f = figure(run.current);
    for (const e of root().querySelectorAll(".pr-selected, .pr-lit, [aria-current]")) {
      e.classList.remove("pr-selected", "pr-lit");
      e.removeAttribute("aria-current");
    }
    const target = selectedElement();
    if (!target) return;
    target.classList.add("pr-selected");
    target.setAttribute("aria-current", "true");
    if (!settings.guide || selected.kind !== "cell") return;
    const step = f.steps[f.cells[selected.index].step];
    const lit = [];
    if (step.kind === "digitProduct") {
      lit.push('[data-line="multiplicand"][data-column="' + step.multiplicandColumn + '"]');
      lit.push('[data-line="multiplier"][data-column="' + step.multiplierColumn + '"]');
    } else if (step.kind === "columnSum") {
      lit.push('.pr-cell[data-column="' + step.column + '"]:not([data-line="-1"])');
    }
    for (const selector of lit) for (const e of root().querySelectorAll(".pr-figure " + selector)) e.classList.add("pr-lit");
  }

  function focused(what) {
    if (selected && selected.kind === what.kind && selected.index === what.index) return;
    selected = what;
    highlight();
  }

  // The arrow keys move the choice to the next cell of the line, or to the nearest of the line
  // above or below.
  function move(key) {
    const cells = Array.from(root().querySelectorAll(".pr-figure .pr-cell, .pr-figure .pr-spare"));
    const current = selectedElement();
    if (!cells.length) return;
    if (!current || current.classList.contains("pr-memo")) {
      // Nothing chosen (every digit in): the product's first cell, where the strikes begin.
      (cells.find((c) => c.dataset.line === "-1") || cells[0]).focus();
      return;
    }
    const line = Number(current.dataset.line), column = Number(current.dataset.column);
    const lines = [...new Set(cells.map((c) => Number(c.dataset.line)))];
    const order = lines.filter((l) => l !== -1).sort((a, b) => a - b).concat(lines.includes(-1) ? [-1] : []);
    let candidates = [];
    if (key === "ArrowLeft" || key === "ArrowRight") {
      const sign = key === "ArrowLeft" ? 1 : -1;
      candidates = cells.filter((c) => Number(c.dataset.line) === line && sign * (Number(c.dataset.column) - column) > 0);
    } else {
      const other = order[order.indexOf(line) + (key === "ArrowUp" ? -1 : 1)];
      candidates = other === undefined ? [] : cells.filter((c) => Number(c.dataset.line) === other);
    }
    candidates.sort((a, b) => Math.abs(Number(a.dataset.column) - column) - Math.abs(Number(b.dataset.column) - column));
    if (candidates.length) candidates[0].focus();
  }

  function pad() {
    const keys = el("div", { class: "pr-pad", role: "group", "aria-label": "すうじの キー" });
    const key = (id, text, action, label) => {
      const b = el("button", { type: "button", id: id, class: "pr-key" }, text);
      if (label) b.setAttribute("aria-label", label);
      b.addEventListener("click", action);
      keys.append(b);
    };
    for (const d of [7, 8, 9, 4, 5, 6, 1, 2, 3, 0]) key("pr-key-" + d, String(d), () => enter(d));
    key("pr-key-point", "．", () => typedPoint(), "小数点");
    key("pr-key-erase", "消す", () => erase());
    if (settings.check === "end") key("pr-check", "こたえあわせ", () => checkAll());
    return keys;
  }

  // --- what the pupil does

  function choose(what) {
    selected = what;
    refresh();
  }

  function tapCell(i) {
    const k = run.current, f = figure(k), w = work(k), c = f.cells[i];
    // Once every digit is in, a tap on a product's 0 strikes it (and a second tap takes it back).
    // Checked at the end, where a digit may still be mended, the 0 is chosen first.
    const ready = settings.check === "end" ? armed === i : nextCell(k) === null && !pointPending(k);
    armed = null;
    if (c.line === -1 && w.digits[i] === 0 && ready) {
      strike(c.column);
      return;
    }
    choose({ kind: "cell", index: i });
  }

  function afterChange() {
    const k = run.current;
    save();
    if (settings.check === "each" && nextCell(k) === null && !pointPending(k) && !strikesPending(k) && !strayPending(k)) {
      finishProblem();
      return;
    }
    refresh();
  }

  // Where the choice goes once a digit is right: the next cell to fill, else a stray digit still
  // to erase.
  function onward(k) {
    const next = nextCell(k);
    if (next !== null) return { kind: "cell", index: next };
    const stray = strayPending(k);
    return stray === null ? null : { kind: "spare", key: stray };
  }

  function enter(d) {
    if (!selected) return;
    const k = run.current, w = work(k);
    if (selected.kind === "memo") {
      w.memos[selected.index] = d;
      save();
      refresh();
      return;
    }
    if (selected.kind === "spare") {
      enterStray(k, w, selected.key, d);
      return;
    }
    const i = selected.index;
    w.digits[i] = d;
    if (settings.check === "each") {
      const verdict = judge("judge=cell&cell=" + i + "&digit=" + d);
      if (verdict.right) {
        delete w.wrong[i];
        w.note = "";
        selected = onward(k);
        if (selected && selected.kind === "spare") w.note = w.spareWrong[selected.key] || "";
      } else {
        miss(k, verdict);
        w.wrong[i] = verdict.hint;
        w.note = verdict.hint;
      }
    } else {
      delete w.wrong[i];
      const next = figure(k).cells.findIndex((c, j) => j > i && w.digits[j] === undefined);
      selected = next < 0 ? null : { kind: "cell", index: next };
    }
    afterChange();
  }

  // A digit where the figure has none: checked at once it is always wrong (the module says
  // whether the row looks begun one column off) and waits to be erased; checked at the end it is
  // judged with its row.
  function enterStray(k, w, key, d) {
    w.spare[key] = d;
    delete w.spareWrong[key];
    if (settings.check === "each") {
      const spot = spareAt(key);
      const verdict = judge("judge=stray&line=" + spot.line + "&column=" + spot.column + "&digit=" + d);
      miss(k, verdict);
      w.spareWrong[key] = verdict.hint;
      w.note = verdict.hint;
    } else {
      const next = figure(k).cells.findIndex((c, j) => w.digits[j] === undefined);
      if (next >= 0) selected = { kind: "cell", index: next };
    }
    afterChange();
  }

  function erase() {
    if (!selected) return;
    const k = run.current, w = work(k);
    if (selected.kind === "memo") delete w.memos[selected.index];
    else if (selected.kind === "spare") {
      const had = w.spare[selected.key] !== undefined;
      delete w.spare[selected.key];
      delete w.spareWrong[selected.key];
      if (had && settings.check === "each") {
        w.note = "";
        selected = onward(k) || selected;
        afterChange();
        return;
      }
    } else {
      delete w.digits[selected.index];
      delete w.wrong[selected.index];
    }
    save();
    refresh();
  }

  function miss(k, verdict) {
    const m = mark(k);
    m.first = false;
    m.mistakes[verdict.mistake] = (m.mistakes[verdict.mistake] || 0) + 1;
  }

  function typedPoint() {
    const f = figure(run.current);
    if (selected && selected.kind === "cell" && f.cells[selected.index].line === -1) placePoint(f.cells[selected.index].column);
  }

  // Checked digit by digit, a point or a strike that is wrong is not put down: the pupil gets
  // its hint and tries again. Checked at the end, anything is put down as it comes.
  function acceptedAtOnce(k, w, query) {
    if (settings.check !== "each") return true;
    const verdict = judge(query);
    if (!verdict.right) {
      miss(k, verdict);
      w.note = verdict.hint;
      save();
      refresh();
      return false;
    }
    w.note = "";
    return true;
  }

  function placePoint(column) {
    const k = run.current, w = work(k);
    if (!acceptedAtOnce(k, w, "judge=point&point=" + column)) return;
    w.point = column;
    afterChange();
  }

  function strike(column) {
    const k = run.current, w = work(k);
    if (w.struck.includes(column)) {
      w.struck = w.struck.filter((c) => c !== column);
      afterChange();
      return;
    }
    if (!acceptedAtOnce(k, w, "judge=strike&column=" + column)) return;
    w.struck.push(column);
    afterChange();
  }

  // The check at the end: every wrong cell marked with its hint; the problem counts as mistaken.
  function checkAll() {
    const k = run.current, f = figure(k), w = work(k);
    const digits = Object.entries(w.digits).map(([i, d]) => f.cells[Number(i)].line + ":" + f.cells[Number(i)].column + ":" + d)
      .concat(Object.entries(w.spare).map(([key, d]) => key + ":" + d));
    const verdict = judge("judge=all&digits=" + digits.join(",") + "&point=" + (w.point === null ? "" : w.point) +
                          "&struck=" + w.struck.join(","));
    if (verdict.errors && verdict.errors.length) return;
    if (verdict.right) {
      w.wrong = {};
      w.note = "";
      finishProblem();
      return;
    }
    w.wrong = {};
    w.spareWrong = {};
    const hints = [];
    for (const c of verdict.cells) {
      if (c.right) continue;
      w.wrong[c.cell] = c.hint;
      miss(k, c);
      hints.push(c.hint);
    }
    for (const s of verdict.stray) {
      if (s.right) continue;
      w.spareWrong[s.line + ":" + s.column] = s.hint;
      miss(k, s);
      hints.push(s.hint);
    }
    if (!verdict.point.right) { miss(k, verdict.point); hints.push(verdict.point.hint); }
    for (const s of verdict.strikes) { miss(k, s); hints.push(s.hint); }
    w.note = [...new Set(hints)].join("\n");
    const first = verdict.cells.find((c) => !c.right);
    selected = first ? { kind: "cell", index: first.cell } : selected;
    save();
    refresh();
  }

  function finishProblem() {
    const m = mark(run.current);
    m.done = true;
    if (run.at + 1 < run.order.length) {
      run.at += 1;
      run.current = run.order[run.at];
      selected = onward(run.current);
      save();
      drawProblem();
      return;
    }
    run.ended = Date.now();
    showResult();
  }

  // --- the result

  function showResult() {
    const section = root();
    section.textContent = "";
    const result = el("div", { id: "pr-result" });
    const count = run.order.length;
    const right = run.order.filter((k) => mark(k).first).length;
    const seconds = Math.max(0, Math.round((run.ended - run.started) / 1000));
    result.append(
      el("h2", {}, "けっか"),
      el("p", { id: "pr-result-name" }, "なまえ: " + run.name),
      el("p", {}, "日付: " + new Date(run.ended).toLocaleDateString("ja-JP")),
      el("p", {}, "プリント No." + sheet.number + "（" + settings.practice + " まいめ）　" +
                  (settings.check === "each" ? "1つずつ たしかめる" : "さいごに こたえあわせ") + "　ヒントの色 " + (settings.guide ? "あり" : "なし")),
      el("p", { id: "pr-time" }, "かかった じかん: " + Math.floor(seconds / 60) + "分" + (seconds % 60) + "びょう"),
      el("p", { id: "pr-score" }, "1回で できた もんだい: " + right + " / " + count),
    );
    const list = el("ul", { class: "pr-list" });
    const kinds = {};
    for (const k of run.order) {
      const f = figure(k), m = mark(k);
      const own = Object.entries(m.mistakes).map(([kind, n]) => (sheet.mistakes[kind] || kind) + (n > 1 ? " " + n + "回" : ""));
      const li = el("li", { "data-problem": String(f.problem) },
                    "(" + f.problem + ") " + f.multiplicand.text + " × " + f.multiplier.text + " = " + f.product + "　" +
                    (m.first ? "○" : "△ " + own.join("、")));
      for (const [kind, n] of Object.entries(m.mistakes)) kinds[kind] = (kinds[kind] || 0) + n;
      list.append(li);
    }
    result.append(list);
    const kindList = el("ul", { id: "pr-kinds" });
    for (const [kind, n] of Object.entries(kinds)) {
      kindList.append(el("li", { "data-kind": kind }, (sheet.mistakes[kind] || kind) + ": " + n + "回"));
    }
    if (!kindList.childElementCount) kindList.append(el("li", {}, "まちがいは ありません"));
    result.append(el("h3", {}, "まちがいの しゅるい"), kindList);
    const buttons = el("div", { class: "pr-end" });
    const missed = run.order.filter((k) => !mark(k).first);
    const again = el("button", { type: "button", id: "pr-again" }, "まちがえた問題だけもう一度");
    again.disabled = missed.length === 0;
    again.addEventListener("click", () => {
      run = Object.assign(fresh(missed), { name: run.name });
      selected = { kind: "cell", index: 0 };
      build();
      root().dataset.view = "work";
      save();
      drawProblem();
    });
    const next = el("button", { type: "button", id: "pr-next" }, "つぎのプリント");
    next.addEventListener("click", () => { location.hash = nextAddress(); });
    const print = el("button", { type: "button", id: "pr-print" }, "結果を印刷");
    print.addEventListener("click", () => window.print());
    buttons.append(again, next, print);
    result.append(buttons);
    section.append(result);
    root().dataset.view = "result";
    // Seen: a reload starts the sheet afresh.
    try {
      if (canStore) localStorage.removeItem(storageKey);
    } catch (e) {
      /* nothing kept to remove */
    }
  }

  // The next sheet of the same run: its sheet count grown where it ends here.
  function nextAddress() {
    const params = new URLSearchParams(ctx.query);
    const n = settings.practice + 1;
    params.set("practice", String(n));
    if (Number(params.get("sheets") || 1) < n) params.set("sheets", String(n));
    return params.toString();
  }

  // --- the keyboard: digits, erase, the point, a strike on the chosen 0, the check

  function onKey(event) {
    if (!run || root().dataset.view !== "work" || event.ctrlKey || event.metaKey || event.altKey) return;
    if (event.key.startsWith("Arrow")) {
      move(event.key);
      event.preventDefault();
      return;
    }
    if (/^[0-9]$/.test(event.key)) enter(Number(event.key));
    else if (event.key === "Backspace" || event.key === "Delete") erase();
    else if (event.key === "." || event.key === "．") typedPoint();
    else if (event.key === "/" && selected && selected.kind === "cell") {
      const c = figure(run.current).cells[selected.index];
      if (c.line === -1) strike(c.column);
    } else if (event.key === "Enter" && settings.check === "end" && event.target.classList.contains("pr-cell")) checkAll();
    else return;
    event.preventDefault();
  }

  function start(name) {
    restore(name);
    build();
    const note = root().dataset.note;
    if (note) say(note);
    root().dataset.view = "work";
    const next = nextCell(run.current);
    selected = next === null ? null : { kind: "cell", index: next };
    drawProblem();
  }

  function askName() {
    const section = root();
    section.textContent = "";
    root().dataset.view = "name";
    let remembered = "";
    try {
      remembered = localStorage.getItem(NAME_KEY) || "";
    } catch (e) {
      remembered = "";
    }
    const box = el("div", { class: "pr-name" });
    box.append(el("h2", {}, "れんしゅう　プリント No." + sheet.number + "（" + sheet.count + "もん）"));
    const label = el("label", { for: "pr-name" }, "なまえ");
    const input = el("input", { type: "text", id: "pr-name", maxlength: "20", autocomplete: "off" });
    input.value = remembered;
    const go = el("button", { type: "button", id: "pr-start" }, "はじめる");
    const begin = () => {
      const name = input.value.trim();
      if (!name) {
        input.focus();
        return;
      }
      start(name);
    };
    go.addEventListener("click", begin);
    input.addEventListener("keydown", (e) => { if (e.key === "Enter") begin(); });
    box.append(label, input, go);
    section.append(box);
    input.focus();
  }

  return {
    // ctx: {api, texts, query}: the module's functions, the window's words, the address.
    open(context) {
      ctx = context;
      const section = root();
      section.hidden = false;
      settings = readSettings(ctx.query);
      sheet = ctx.api.practice(settings.query);
      if (sheet.errors.length) {
        section.textContent = sheet.errors[0].message;
        section.dataset.view = "error";
        return;
      }
      document.addEventListener("keydown", onKey);
      askName();
    },
  };
})();
