"use strict";
// The page: the window's fields and the run's settings in, the sheets out. Everything a sheet
// says (the problems, the layout, the messages) comes from the WebAssembly module, the same code
// as the window's and tavrelo-sheets'; this script only moves values between it and the page.
(function () {
  const root = document.documentElement;
  const $ = (id) => document.getElementById(id);
  // Milliseconds from the start of the page's navigation (firstDraw, firstShown: the first sheets
  // in the document, then painted) and the last Preview's drawing; read by the benchmark.
  const timings = (window.tavreloTimings = { ready: null, firstDraw: null, firstShown: null, lastDraw: null });
  const StorageKey = "tavrelo.settings";
  // The window's field names: u multiplicand, d multiplier; 1 thousandths .. 5 tens; l low, h high.
  const digitIds = [];
  for (let k = 1; k <= 5; ++k) for (const f of ["u", "d"]) for (const b of ["l", "h"]) digitIds.push(f + k + b);
  // The options the page offers, by the command line's names, and the field that holds each.
  const optionFields = {
    problems: null, sheets: "sheets", number: "PrnNum", sentence: "QstSentence", answers: "answers",
    paper: "paper", zeros: "zeros", numbers: "numbers", header: "header", seed: "seed",
  };
  let api = null;
  let shown = null;  // the run on the page: its query and the answer the module gave

  function call(name, argument) {
    return JSON.parse(api[name](argument));
  }

  function buildDigitRows(texts) {
    const body = $("digit-rows");
    const rows = [["u", "かけられる数"], ["d", "かける数"]];
    // The window's tab order: the four lower places of the multiplicand, of the multiplier,
    // ... and the tens last.
    const tabOf = (f, k, b) => (k === 5 ? 25 + (f === "u" ? 0 : 2) + (b === "l" ? 0 : 1)
                                        : 1 + (f === "u" ? 0 : 8) + (k - 1) * 2 + (b === "l" ? 0 : 1));
    for (const [f, name] of rows) {
      const tr = document.createElement("tr");
      const th = document.createElement("td");
      th.className = "rowname";
      th.textContent = name;
      tr.appendChild(th);
      for (const k of [5, 4, 0, 3, 2, 1]) {
        if (k === 0) {
          const td = document.createElement("td");
          td.className = "point";
          td.textContent = ".";
          td.setAttribute("aria-hidden", "true");
          tr.appendChild(td);
          continue;
        }
        for (const b of ["l", "", "h"]) {
          const td = document.createElement("td");
          if (b === "") {
            td.textContent = "～";
          } else {
            const input = document.createElement("input");
            input.type = "text";
            input.id = f + k + b;
            input.maxLength = 1;
            input.inputMode = "numeric";
            input.tabIndex = tabOf(f, k, b);
            input.title = texts.hints[k - 1];
            input.placeholder = "0";
            input.setAttribute("aria-label", name + " " + texts.places[k - 1] + " " + (b === "l" ? "下限" : "上限"));
            td.appendChild(input);
          }
          tr.appendChild(td);
        }
      }
      body.appendChild(tr);
    }
    for (let k = 1; k <= 5; ++k) $("place" + k).textContent = texts.places[k - 1];
    const errors = $("digit-errors");
    for (const id of digitIds.concat(["multiplicand", "multiplier"])) {
      const span = document.createElement("span");
      span.className = "field-error";
      span.id = "err-" + id;
      span.setAttribute("role", "alert");
      errors.appendChild(span);
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
    $("answerLabel").textContent = texts.answerLabel;
    $("numberLabel").textContent = texts.numberLabel;
    $("countLabel").textContent = texts.countLabel;
    $("count12").textContent = texts.countChoices[0];
    $("count16").textContent = texts.countChoices[1];
    $("btnPreview").textContent = texts.preview;
    $("btnPrint").textContent = texts.print;
  }

  function fillPresets(presets) {
    const select = $("preset");
    for (const p of presets) {
      const option = document.createElement("option");
      option.value = p.name;
      option.textContent = p.title;
      select.appendChild(option);
    }
  }

  // What the fields hold, as the address's syntax: the options, then the window's fields.
  function queryFromFields() {
    const pairs = [];
    const add = (k, v) => pairs.push(encodeURIComponent(k) + "=" + encodeURIComponent(v));
    add("problems", $("QNum12").checked ? "12" : "16");
    for (const [name, id] of Object.entries(optionFields)) {
      if (!id) continue;
      const value = $(id).value;
      if (name === "seed" && value.trim() === "") continue;
      add(name, value);
    }
    for (const id of digitIds) add(id, $(id).value);
    add("AnsLow", $("AnsLow").value);
    add("AnsHigh", $("AnsHigh").value);
    return pairs.join("&");
  }

  function setFields(fields) {
    for (const id of digitIds.concat(["AnsLow", "AnsHigh"])) if (id in fields) $(id).value = fields[id];
    $("QNum12").checked = fields.problems === "12";
    $("QNum16").checked = fields.problems !== "12";
    for (const [name, id] of Object.entries(optionFields)) {
      if (id && name in fields) $(id).value = fields[name];
    }
  }

  function clearMessages() {
    for (const span of document.querySelectorAll(".field-error")) span.textContent = "";
    for (const field of document.querySelectorAll("[aria-invalid]")) field.removeAttribute("aria-invalid");
  }

  const errorField = { number: "PrnNum", sentence: "QstSentence", answer: null };

  // Each message beside its field, without the option's name that the field already says.
  function showErrors(errors, fromAddress) {
    clearMessages();
    const lines = [];
    for (const e of errors) {
      const field = e.key in errorField ? errorField[e.key] : e.key;
      const span = (field && $("err-" + field)) || $("err-" + e.key);
      const bare = e.message.replace(/^--[a-z-]+: /, "");
      if (span) span.textContent = fromAddress ? e.message : bare;
      const input = field && $(field);
      if (input && input.tagName !== "SPAN") input.setAttribute("aria-invalid", "true");
      lines.push(fromAddress ? e.message : bare);
    }
    if (fromAddress && lines.length) openDialog("エラー", lines.join("\n"));
    const first = errors.length && $(errorField[errors[0].key] || errors[0].key);
    if (first && first.focus && !fromAddress) first.focus();
  }

  function openDialog(title, text) {
    $("dialogTitle").textContent = title;
    $("dialogText").textContent = text;
    const dialog = $("dialog");
    if (!dialog.open) {
      if (dialog.showModal) dialog.showModal();
      else dialog.setAttribute("open", "");
    }
  }

  // The module gives the paper's size, the border and the area inside it, as CSS lengths.
  // WebKit does not paginate by @page: it cuts the document into pages of its own width times
  // the print setup's printable shape, at whole CSS pixels, and scales that to the paper inside
  // the printer's margins. A sheet exactly the paper's size (A4: 793.7 x 1122.5 px) then spills
  // a pixel or two onto a blank page after it. So every sheet is a box of whole pixels a little
  // narrower than the paper and a little squatter than its shape, carrying its border as padding:
  // it makes one page in every engine, at whatever margins the printer adds.
  function setPaper(paper) {
    const px = (mm) => parseFloat(mm) * 96 / 25.4;
    const [paperWidth, paperHeight] = paper.size.split(" ").map(px);
    const width = Math.floor(paperWidth) - 1;
    const height = Math.floor(width * paperHeight / paperWidth) - 1;
    const border = px(paper.border);
    const length = (value) => value.toFixed(2) + "px";
    $("page-size").textContent = "@media print { @page { size: " + paper.size + "; margin: 0; } " +
      "section.sheet { width: " + length(width) + "; height: " + length(height) + "; padding: " + paper.border +
      "; overflow: hidden; } section.sheet svg { width: " + length(width - 2 * border) + "; height: " +
      length(height - 2 * border) + "; } }";
  }

  // The sheets go into the document as one piece of markup, parsed once: the images are the
  // module's, whose texts are escaped character data (never markup), and the captions are made
  // here of numbers and fixed words.
  function showSheets(answer) {
    const parts = [];
    for (const page of answer.pages) {
      const sheet = Number(page.sheet), number = Number(page.number);
      const caption = sheet + " 枚目 " + (page.answers ? "答えの用紙" : "問題用紙") + "（問題No." + number + "）";
      // The image is one labelled picture: what it is drawn of (a hundred texts a sheet) is
      // hidden from assistive technology, for it is only the picture's parts. Printed to PDF,
      // Chromium builds the tagged PDF's structure from that tree, at a cost of each node.
      const svg = page.svg.replace(/^<svg ([^>]*)>/, '<svg role="img" aria-label="' + caption + '" $1><g aria-hidden="true">')
                          .replace(/<\/svg>\s*$/, "</g></svg>");
      parts.push('<section class="sheet" data-sheet="' + sheet + '" data-answers="' + (page.answers ? "true" : "false") +
                 '" data-number="' + number + '"><h2>' + caption + "</h2>" + svg + "</section>");
    }
    const area = $("sheets-area");
    area.innerHTML = parts.join("");
    $("empty").hidden = answer.pages.length > 0;
    setPaper(answer.paper);
    firstSheetSize.disconnect();
    if (area.firstElementChild) firstSheetSize.observe(area.firstElementChild);
  }

  // The sheets not yet laid out stand as high as the first is inside its border, which is always
  // laid out: the scroll bar is right from the start, and after the window is resized.
  const firstSheetSize = new ResizeObserver((entries) => {
    for (const entry of entries) $("sheets-area").style.setProperty("--sheet-height", entry.contentRect.height + "px");
  });

  function remember(query) {
    try { localStorage.setItem(StorageKey, query); } catch (e) { /* private windows may refuse */ }
  }

  function writeAddress(address) {
    try {
      history.replaceState(null, "", "#" + address);
    } catch (e) {
      /* a page opened from some file viewers cannot rewrite its address */
    }
  }

  // Preview: draws the run from what the fields hold, or from an address.
  function draw(query, fromAddress) {
    const started = performance.now();
    const answer = call("make", query);
    if (answer.errors.length) {
      showErrors(answer.errors, fromAddress);
      root.dataset.state = "error";
      return false;
    }
    clearMessages();
    showSheets(answer);
    shown = { query: query, answer: answer };
    $("seedShown").textContent = String(answer.seed);
    $("btnPrint").disabled = answer.pages.length === 0;
    if (answer.address) writeAddress(answer.address);
    remember(queryFromFields());
    const pageCount = answer.pages.length;
    $("status").textContent = pageCount + " ページ（seed " + answer.seed + "）";
    timings.lastDraw = performance.now() - started;
    if (timings.firstDraw === null) {
      timings.firstDraw = performance.now();
      requestAnimationFrame(() => setTimeout(() => { timings.firstShown = performance.now(); }, 0));
    }
    root.dataset.draws = String(Number(root.dataset.draws) + 1);
    root.dataset.state = "drawn";
    if (answer.warning) openDialog(call("texts", "").warningCaption, answer.warning);
    return true;
  }

  function readAddress(hash) {
    const query = hash.replace(/^#/, "");
    const read = call("read", query);
    setFields(read.fields);
    // The preset the link was made from, so that the list says what the fields hold.
    const preset = new URLSearchParams(query).get("preset");
    $("preset").value = preset && Array.from($("preset").options).some((o) => o.value === preset) ? preset : "";
    return { query: query, errors: read.errors };
  }

  function drawAddress() {
    const { query, errors } = readAddress(location.hash);
    if (errors.length) {
      showErrors(errors, true);
      root.dataset.state = "error";
      return;
    }
    draw(query, true);
  }

  function afterPrint() {
    if (!shown) return;
    // As the window does after printing: the next sheets carry the next numbers.
    const printed = shown.answer.pages.filter((p) => !p.answers).length;
    const last = shown.answer.pages.reduce((n, p) => Math.max(n, p.sheet), 0);
    if (!printed || !last) return;
    const next = (Number($("PrnNum").value) + last) | 0;
    $("PrnNum").value = String(next);
    const seed = $("seed").value;
    $("seed").value = String(shown.answer.seed);
    draw(queryFromFields(), false);
    $("seed").value = seed;
  }

  function start(module) {
    api = {
      presets: module.cwrap("tavrelo_presets", "string", []),
      texts: module.cwrap("tavrelo_texts", "string", []),
      read: module.cwrap("tavrelo_read", "string", ["string"]),
      make: module.cwrap("tavrelo_make", "string", ["string"]),
    };
    const texts = call("texts", "");
    buildDigitRows(texts);
    applyTexts(texts);
    fillPresets(call("presets", ""));

    // The window's rule: a digit field left blank means 0.
    for (const id of digitIds) {
      $(id).addEventListener("blur", () => { if ($(id).value === "") $(id).value = "0"; });
    }
    $("preset").addEventListener("change", () => {
      const name = $("preset").value;
      if (!name) return;
      const read = call("read", "preset=" + encodeURIComponent(name));
      for (const id of digitIds.concat(["AnsLow", "AnsHigh"])) $(id).value = read.fields[id];
    });
    $("btnPreview").addEventListener("click", () => draw(queryFromFields(), false));
    $("btnPrint").addEventListener("click", () => {
      if (!shown) return;
      window.print();
    });
    // WebKit prints the sheets that content-visibility left out on screen as blank pages: printed,
    // every sheet is laid out, by a print style rather than the print events, which a print
    // started from the browser's own menu or share sheet need not send. Not in Blink (the only
    // engine with userAgentData), which lays them all out for the printed pages by itself: there
    // the style would have them laid out once more, at the screen's size, before that.
    if (!navigator.userAgentData) root.classList.add("lays-out-print");
    // The next sheets are drawn once the print event is over: a hundred of them would hold up
    // the end of the printing (and the closing of its dialog) for as long as they take.
    window.addEventListener("afterprint", () => setTimeout(afterPrint, 0));
    window.addEventListener("hashchange", drawAddress);
    $("form").addEventListener("submit", (e) => e.preventDefault());

    timings.ready = performance.now();
    if (location.hash.length > 1) {
      drawAddress();
      if (root.dataset.state === "loading") root.dataset.state = "ready";
      return;
    }
    let stored = null;
    try { stored = localStorage.getItem(StorageKey); } catch (e) { stored = null; }
    const read = call("read", stored || "");
    setFields(read.fields);
    if (stored === null) $("QstSentence").value = texts.defaultSentence;
    root.dataset.state = "ready";
  }

  const fontsReady = document.fonts && document.fonts.ready ? document.fonts.ready : Promise.resolve();
  Promise.all([window.tavreloModule, fontsReady]).then(([module]) => start(module)).catch((error) => {
    root.dataset.state = "error";
    $("status").textContent = "読み込めませんでした: " + error;
  });
})();
