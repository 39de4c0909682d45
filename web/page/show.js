// The showing mode's view: the teacher works a sheet's problems step by step on the classroom's
// screen.
const ShowView = (function () {
  const $ = (id) => document.getElementById(id);
  return {
    // ctx: {api, texts, query}: the module's functions, the window's words, the address.
    open(ctx) {
      const section = $("show");
      section.hidden = false;
      const sheet = ctx.api.practice(ctx.query);
      section.textContent = sheet.errors.length ? sheet.errors[0].message : "ひっ算を見せる";
    },
  };
})();
