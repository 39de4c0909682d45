// The practice mode's view: a pupil works the problems of one printed sheet, digit by digit.
const PracticeView = (function () {
  const $ = (id) => document.getElementById(id);
  return {
    // ctx: {api, texts, query}: the module's functions, the window's words, the address.
    open(ctx) {
      const section = $("practice");
      section.hidden = false;
      const sheet = ctx.api.practice(ctx.query);
      section.textContent = sheet.errors.length ? sheet.errors[0].message : "れんしゅう";
    },
  };
})();
