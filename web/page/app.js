// The page: one state, and the form and the sheets drawn from it. Everything a sheet says (the
// problems, the layout, the messages) comes from the WebAssembly module, the same code as the
// window's and tavrelo-sheets'; the page only moves values between it and the screen.
(function () {
  const root = document.documentElement;
  const $ = (id) => document.getElementById(id);
  // Milliseconds from the start of the page's navigation (firstDraw, firstShown: the first sheets
  // in the document, then painted) and the last Preview's drawing; read by the benchmark.
  const timings = (window.tavreloTimings = { ready: null, firstDraw: null, firstShown: null, lastDraw: null });
  // The views of a run, one a mode of the page (the address's mode=): the printable sheets; a
  // pupil's practice of a sheet's problems; the teacher's step-by-step showing of them. The last
  // two take the whole page over, the form hidden: they are opened from a link, not from it.
  const views = { sheets: SheetsView, practice: PracticeView, show: ShowView };
  // mode: which view; settings: what the form holds; shown: the run on the page, with the
  // settings it was made from.
  const state = { mode: "sheets", settings: null, shown: null };
  let api = null;

  function setSettings(settings) {
    state.settings = settings;
    Settings.show(settings);
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

  // An address's errors are said in a dialog too, and so is one the form has no place for.
  function refuse(errors, fromAddress) {
    const shown = Settings.showErrors(errors, fromAddress);
    if (fromAddress || !shown.placed) openDialog("エラー", shown.lines.join("\n"));
    root.dataset.state = "error";
  }

  function writeAddress(address) {
    try {
      history.replaceState(null, "", "#" + address);
    } catch (e) {
      /* a page opened from some file viewers cannot rewrite its address */
    }
  }

  // Makes the settings' run and shows it; `seed`, if given, is the run's whatever the settings
  // say (they keep theirs, a blank one too).
  function draw(settings, fromAddress, seed) {
    const started = performance.now();
    const made = seed === undefined ? settings : Object.assign({}, settings, { seed: String(seed) });
    const run = api.make(Settings.query(made));
    if (run.errors.length) {
      refuse(run.errors, fromAddress);
      return false;
    }
    Settings.clearErrors();
    state.shown = { settings: settings, run: run };
    views[state.mode].show(run);
    $("btnPrint").disabled = run.pages.length === 0;
    $("btnPracticeLink").disabled = run.pages.length === 0 || !run.address;
    if (run.address) writeAddress(run.address);
    Settings.store(settings);
    timings.lastDraw = performance.now() - started;
    if (timings.firstDraw === null) {
      timings.firstDraw = performance.now();
      requestAnimationFrame(() => setTimeout(() => { timings.firstShown = performance.now(); }, 0));
    }
    root.dataset.draws = String(Number(root.dataset.draws) + 1);
    root.dataset.state = "drawn";
    if (run.warning) openDialog(api.texts().warningCaption, run.warning);
    return true;
  }

  // The settings an address holds, over what the form holds, and its errors.
  function readAddress(query) {
    const read = api.read(query);
    const preset = new URLSearchParams(query).get("preset") || "";
    setSettings(Object.assign(Settings.read(), read.fields, { preset: preset }));
    return read.errors;
  }

  function drawAddress() {
    const errors = readAddress(location.hash.replace(/^#/, ""));
    if (errors.length) {
      refuse(errors, true);
      return;
    }
    draw(state.settings, true);
  }

  function afterPrint() {
    const shown = state.shown;
    if (!shown) return;
    const printed = SheetsView.printed(shown.run);
    if (!printed.problemSheets || !printed.lastSheet) return;
    // As the window does after printing: the next sheets carry the next numbers, with the same
    // problems (the printed run's seed, while the settings keep theirs).
    const next = (Number(state.settings.number) + printed.lastSheet) | 0;
    setSettings(Object.assign({}, state.settings, { number: String(next) }));
    draw(state.settings, false, shown.run.seed);
  }

  // The pupils' link to the run on the page: copied where the browser lets a page write to the
  // clipboard (not from file:// in every engine), else shown selected for the teacher to copy.
  function copyPracticeLink() {
    const shown = state.shown;
    if (!shown || !shown.run.address) return;
    const link = location.href.replace(/#.*$/, "") + "#" + shown.run.address + "&mode=practice";
    const field = $("practiceLink");
    field.value = link;
    const select = () => {
      field.hidden = false;
      field.focus();
      field.select();
      $("status").textContent = "れんしゅうのリンクです。コピーしてください。";
    };
    if (navigator.clipboard && navigator.clipboard.writeText && window.isSecureContext) {
      navigator.clipboard.writeText(link).then(() => {
        field.hidden = true;
        $("status").textContent = "れんしゅうのリンクをコピーしました。";
      }, select);
    } else {
      select();
    }
  }

  // The address's mode; an unknown one is the sheets', so that a mistyped link still shows them.
  function modeOf(hash) {
    const mode = new URLSearchParams(hash.replace(/^#/, "")).get("mode");
    return mode && views[mode] && mode !== "sheets" ? mode : "sheets";
  }

  function openMode(mode) {
    state.mode = mode;
    root.dataset.mode = mode;
    views[mode].open({ api: api, texts: api.texts(), query: location.hash.replace(/^#/, "") });
    root.dataset.state = "ready";
  }

  function start(module) {
    api = PageApi(module);
    const texts = api.texts();
    Settings.build(texts, api.presets(), api.choices());
    Settings.onPreset((name) => {
      if (!name) return;
      const fields = api.read("preset=" + encodeURIComponent(name)).fields;
      const chosen = Object.assign({}, state.settings, { preset: name });
      for (const field of Settings.windowNames) chosen[field] = fields[field];
      setSettings(chosen);
    });
    Settings.onEdit((settings) => { state.settings = settings; });
    $("btnPreview").addEventListener("click", () => draw(state.settings, false));
    $("btnPrint").addEventListener("click", () => {
      if (state.shown) window.print();
    });
    $("btnPracticeLink").addEventListener("click", copyPracticeLink);
    // WebKit prints the sheets that content-visibility left out on screen as blank pages: printed,
    // every sheet is laid out, by a print style rather than the print events, which a print
    // started from the browser's own menu or share sheet need not send. Not in Blink (the only
    // engine with userAgentData), which lays them all out for the printed pages by itself: there
    // the style would have them laid out once more, at the screen's size, before that.
    if (!navigator.userAgentData) root.classList.add("lays-out-print");
    // The next sheets are drawn once the print event is over: a hundred of them would hold up
    // the end of the printing (and the closing of its dialog) for as long as they take.
    window.addEventListener("afterprint", () => setTimeout(afterPrint, 0));
    // A mode takes the page over once opened: any other address, from a mode or to one, starts
    // the page afresh rather than opening a view over another.
    window.addEventListener("hashchange", () => {
      if (state.mode === "sheets" && modeOf(location.hash) === "sheets") drawAddress();
      else location.reload();
    });

    timings.ready = performance.now();
    const mode = modeOf(location.hash);
    if (mode !== "sheets") {
      openMode(mode);
      return;
    }
    root.dataset.mode = state.mode;
    if (location.hash.length > 1) {
      drawAddress();
      if (root.dataset.state === "loading") root.dataset.state = "ready";
      return;
    }
    const stored = Settings.load();
    readAddress(stored || "");
    if (stored === null) setSettings(Object.assign({}, state.settings, { sentence: texts.defaultSentence }));
    root.dataset.state = "ready";
  }

  const fontsReady = document.fonts && document.fonts.ready ? document.fonts.ready : Promise.resolve();
  Promise.all([window.tavreloModule, fontsReady]).then(([module]) => start(module)).catch((error) => {
    root.dataset.state = "error";
    $("status").textContent = "読み込めませんでした: " + error;
  });
})();
