// The sheets mode's view of a run: the sheets as the module drew them, the print style of their
// paper, the seed and the page count.
const SheetsView = (function () {
  const $ = (id) => document.getElementById(id);

  // The sheets not yet laid out stand as high as the first is inside its border, which is always
  // laid out: the scroll bar is right from the start, and after the window is resized.
  const firstSheetSize = new ResizeObserver((entries) => {
    for (const entry of entries) $("sheets-area").style.setProperty("--sheet-height", entry.contentRect.height + "px");
  });

  // The module gives the paper's size and the border, as CSS lengths.
  // WebKit does not paginate by @page: it cuts the document into pages of its own width times
  // the print setup's printable shape, at whole CSS pixels, and scales that to the paper inside
  // the printer's margins. A sheet exactly the paper's size (A4: 793.7 x 1122.5 px) then spills
  // a pixel or two onto a blank page after it. So every sheet is a box of whole pixels a little
  // narrower than the paper and a little squatter than its shape, carrying its border as padding:
  // it makes one page in every engine, at whatever margins the printer adds.
  function printStyle(paper) {
    const px = (mm) => parseFloat(mm) * 96 / 25.4;
    const [paperWidth, paperHeight] = paper.size.split(" ").map(px);
    const width = Math.floor(paperWidth) - 1;
    const height = Math.floor(width * paperHeight / paperWidth) - 1;
    const border = px(paper.border);
    const length = (value) => value.toFixed(2) + "px";
    return "@media print { @page { size: " + paper.size + "; margin: 0; } " +
      "section.sheet { width: " + length(width) + "; height: " + length(height) + "; padding: " + paper.border +
      "; overflow: hidden; } section.sheet svg { width: " + length(width - 2 * border) + "; height: " +
      length(height - 2 * border) + "; } }";
  }

  // The sheets go into the document as one piece of markup, parsed once: the images are the
  // module's, whose texts are escaped character data (never markup), and the captions are made
  // here of numbers and fixed words.
  function markup(pages) {
    const parts = [];
    for (const page of pages) {
      const sheet = Number(page.sheet), number = Number(page.number);
      // A page of the list of answers stands for the first sheet it lists.
      const list = Number(page.list || 0);
      const caption = list ? "こたえ一覧 " + list + " ページ目（問題No." + number + "から）"
        : sheet + " 枚目 " + (page.answers ? "答えの用紙" : "問題用紙") + "（問題No." + number + "）";
      // The image is one labelled picture: what it is drawn of (a hundred texts a sheet) is
      // hidden from assistive technology, for it is only the picture's parts. Printed to PDF,
      // Chromium builds the tagged PDF's structure from that tree, at a cost of each node.
      const svg = page.svg.replace(/^<svg ([^>]*)>/, '<svg role="img" aria-label="' + caption + '" $1><g aria-hidden="true">')
                          .replace(/<\/svg>\s*$/, "</g></svg>");
      parts.push('<section class="sheet" data-sheet="' + sheet + '" data-answers="' + (page.answers ? "true" : "false") +
                 '" data-number="' + number + (list ? '" data-list="' + list : "") + '"><h2>' + caption + "</h2>" + svg +
                 "</section>");
    }
    return parts.join("");
  }

  return {
    // The run on the page: a made run (the module's answer), drawn once each time it changes.
    show(run) {
      const area = $("sheets-area");
      area.innerHTML = markup(run.pages);
      $("empty").hidden = run.pages.length > 0;
      $("page-size").textContent = printStyle(run.paper);
      firstSheetSize.disconnect();
      if (area.firstElementChild) firstSheetSize.observe(area.firstElementChild);
      $("seedShown").textContent = String(run.seed);
      $("status").textContent = run.pages.length + " ページ（seed " + run.seed + "）";
    },
    // What a print of the run gives: the sheets printed (answer sheets aside) and the last one's
    // place in the run, which the next sheet numbers follow.
    printed(run) {
      return {
        problemSheets: run.pages.filter((p) => !p.answers).length,
        lastSheet: run.pages.reduce((n, p) => Math.max(n, p.sheet), 0),
      };
    },
  };
})();
