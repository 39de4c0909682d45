// A run's settings as one object, by the address's names: the window's fields (u1l..d5h, AnsLow,
// AnsHigh: u multiplicand, d multiplier; 1 thousandths .. 5 tens; l low, h high) and the run's
// options (problems, sheets, number, sentence, answers, paper, zeros, numbers, header, grid,
// seed), each the text the teacher sees ("" for seed: a new one each time), and the textbook exercise the list
// names (preset, never part of an address: its values are the fields'). This is the one part of
// the page that knows the form's ids: the object to the form and back, to an address, to storage.
const Settings = (function () {
  const $ = (id) => document.getElementById(id);
  const StorageKey = "tavrelo.settings";
  const digitNames = [];
  for (let k = 1; k <= 5; ++k) for (const f of ["u", "d"]) for (const b of ["l", "h"]) digitNames.push(f + k + b);
  const windowNames = digitNames.concat(["AnsLow", "AnsHigh"]);
  // The options in the address's order but the count (the radio buttons QNum6 .. QNum20), and
  // the element that holds each.
  const optionNames = ["sheets", "number", "sentence", "answers", "paper", "zeros", "numbers", "header", "grid", "seed"];
  const elementOf = { number: "PrnNum", sentence: "QstSentence" };
  const element = (name) => $(elementOf[name] || name);

  // The grid's column of each digit place's first cell (low; then "～", then high): the tens at
  // the left, the point between the ones and the tenths (see #form's grid in the page's style).
  const firstColumn = { 5: 3, 4: 6, 3: 10, 2: 13, 1: 16 };
  const PointColumn = 9;

  function cell(tag, className, column, text) {
    const e = document.createElement(tag);
    e.className = className;
    e.style.gridColumn = String(column);
    if (text !== undefined) e.textContent = text;
    return e;
  }

  // The digit places, each low, "～", high: the tens come after the problem count in the window's
  // tab order, so they go into the document after it; the other places before the answer range.
  function buildDigits(texts) {
    const form = $("form");
    const lower = document.createDocumentFragment();
    const tens = document.createDocumentFragment();
    for (let k = 5; k >= 1; --k) {
      const head = cell("div", "place", firstColumn[k] + " / span 3", texts.places[k - 1]);
      head.id = "place" + k;
      lower.appendChild(head);
    }
    const rows = [["u", "multiplicand", "かけられる数"], ["d", "multiplier", "かける数"]];
    for (const [, row, name] of rows) {
      lower.appendChild(cell("div", "rowname " + row, 2, name));
      const point = cell("div", "point " + row, PointColumn, ".");
      point.setAttribute("aria-hidden", "true");
      lower.appendChild(point);
    }
    for (const [f, row, name] of rows) {
      for (let k = 1; k <= 5; ++k) {
        const into = k === 5 ? tens : lower;
        ["l", "h"].forEach((b, i) => {
          const input = cell("input", "digit " + row, firstColumn[k] + 2 * i);
          input.type = "text";
          input.id = f + k + b;
          input.maxLength = 1;
          input.inputMode = "numeric";
          input.title = texts.hints[k - 1];
          input.placeholder = "0";
          input.setAttribute("aria-label", name + " " + texts.places[k - 1] + " " + (b === "l" ? "下限" : "上限"));
          into.appendChild(input);
          if (b === "l") into.appendChild(cell("span", "to " + row, firstColumn[k] + 1, "～"));
        });
      }
    }
    form.insertBefore(lower, $("digit-errors"));
    form.insertBefore(tens, $("options"));
    for (const name of digitNames.concat(["multiplicand", "multiplier"])) {
      const span = document.createElement("span");
      span.className = "field-error";
      span.id = "err-" + name;
      span.setAttribute("role", "alert");
      $("digit-errors").appendChild(span);
    }
  }

  function applyTexts(texts) {
    $("QstSentence").title = texts.sentenceHint;
    $("QstSentence").placeholder = texts.sentenceHint;
    $("QstSentence").setAttribute("aria-label", texts.sentenceLabel);
    for (const id of ["AnsLow", "AnsHigh"]) $(id).title = texts.answerHint;
    $("PrnNum").title = texts.numberHint;
    $("sentenceLabel").textContent = texts.sentenceLabel;
    $("settingsLabel").textContent = texts.settingsLabel;
    $("settingsTwin").textContent = texts.settingsLabel;
    $("answerLabel").textContent = texts.answerLabel;
    $("numberLabel").textContent = texts.numberLabel;
    $("numberTwin").textContent = texts.numberLabel;
    $("countLabel").textContent = texts.countLabel;
    $("btnPreview").textContent = texts.preview;
    $("btnPrint").textContent = texts.print;
  }

  function fillSelect(select, entries) {
    for (const [value, label] of entries) {
      const option = document.createElement("option");
      option.value = value;
      option.textContent = label;
      select.appendChild(option);
    }
  }

  // The problem counts as radio buttons named as the window's two (QNum12, QNum16), one space apart.
  function buildCounts(option) {
    const group = $("counts");
    for (const c of option.choices) {
      const label = document.createElement("label");
      const input = document.createElement("input");
      input.type = "radio";
      input.name = "QNumPattern";
      input.id = "QNum" + c.value;
      input.value = c.value;
      input.checked = c.value === option.default;
      const words = document.createElement("span");
      words.textContent = c.label;
      label.append(input, " ", words);
      group.append(" ", label);
    }
    group.append(" ");
  }

  // Each option's list and limits as the module gives them, its default chosen.
  function applyChoices(choices) {
    buildCounts(choices.problems);
    for (const [name, option] of Object.entries(choices)) {
      if (!optionNames.includes(name)) continue;
      const e = element(name);
      if (e.tagName === "SELECT") {
        fillSelect(e, option.choices.map((c) => [c.value, c.label]));
      } else if (e.type === "number") {
        if (option.min !== undefined) e.min = String(option.min);
        if (option.max !== undefined) e.max = String(option.max);
      }
      if (option.default !== undefined) e.value = option.default;
    }
  }

  // What the form holds.
  function read() {
    const s = {};
    for (const name of windowNames) s[name] = $(name).value;
    const count = document.querySelector("input[name=QNumPattern]:checked");
    s.problems = count ? count.value : "";
    for (const name of optionNames) s[name] = element(name).value;
    s.preset = $("preset").value;
    return s;
  }

  // The form shows the settings (what they leave out stays as it is).
  function show(s) {
    for (const name of windowNames) if (name in s) $(name).value = s[name];
    for (const count of document.getElementsByName("QNumPattern")) {
      if ("problems" in s) count.checked = count.value === s.problems;
    }
    for (const name of optionNames) if (name in s) element(name).value = s[name];
    const listed = Array.from($("preset").options).some((o) => o.value === s.preset);
    $("preset").value = listed ? s.preset : "";
  }

  // The settings in the address's syntax: the options, then the window's fields.
  function query(s) {
    const pairs = [];
    const add = (k, v) => pairs.push(encodeURIComponent(k) + "=" + encodeURIComponent(v));
    add("problems", s.problems);
    for (const name of optionNames) {
      if (name === "seed" && String(s.seed).trim() === "") continue;
      add(name, s[name]);
    }
    for (const name of windowNames) add(name, s[name]);
    return pairs.join("&");
  }

  function load() {
    try {
      return localStorage.getItem(StorageKey);
    } catch (e) {
      return null;
    }
  }

  function store(s) {
    try {
      localStorage.setItem(StorageKey, query(s));
    } catch (e) {
      /* private windows may refuse */
    }
  }

  function clearErrors() {
    for (const span of document.querySelectorAll(".field-error")) span.textContent = "";
    for (const field of document.querySelectorAll("[aria-invalid]")) field.removeAttribute("aria-invalid");
  }

  // The input an error's field is, if any (the count is a pair of radios, the answer range two
  // fields, the digit patterns none of their own).
  function inputOf(field) {
    return windowNames.includes(field) || optionNames.includes(field) || field === "preset" ? element(field) : null;
  }

  // Each message under its field: from the form, without the option's name that the field says
  // already; from an address, as the address's option says it. The messages, and whether each
  // found a place in the form.
  function showErrors(errors, fromAddress) {
    clearErrors();
    const shown = { lines: [], placed: true };
    for (const e of errors) {
      const message = fromAddress ? e.message : e.short;
      const input = inputOf(e.field);
      const span = e.field ? $("err-" + (input ? input.id : e.field)) : null;
      if (span) span.textContent = message;
      else shown.placed = false;
      if (input) input.setAttribute("aria-invalid", "true");
      shown.lines.push(message);
    }
    if (!fromAddress) {
      const first = errors.length ? inputOf(errors[0].field) : null;
      if (first) first.focus();
    }
    return shown;
  }

  // fn(settings) after each edit; the window's rule first: a digit field left blank means 0.
  function onEdit(fn) {
    for (const name of digitNames) {
      $(name).addEventListener("blur", () => {
        if ($(name).value !== "") return;
        $(name).value = "0";
        fn(read());
      });
    }
    $("form").addEventListener("input", () => fn(read()));
    $("form").addEventListener("change", () => fn(read()));
    $("form").addEventListener("submit", (e) => e.preventDefault());
  }

  // fn(name) when an exercise is chosen from the list, before the edit it also is.
  function onPreset(fn) {
    $("preset").addEventListener("change", () => fn($("preset").value));
  }

  return {
    windowNames,
    // The form made from the module's words, exercises and choices.
    build(texts, presets, choices) {
      buildDigits(texts);
      applyTexts(texts);
      fillSelect($("preset"), presets.map((p) => [p.name, p.title]));
      applyChoices(choices);
    },
    read,
    show,
    query,
    load,
    store,
    clearErrors,
    showErrors,
    onEdit,
    onPreset,
  };
})();
