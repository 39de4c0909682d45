// The module's functions and the keys of its answers, in one place: the rest of the page deals
// in plain objects and never sees a JSON text or a C name.
// An error is {field, value, message, short}: field is an option's name (seed, sheets, paper...)
// or a window field's (u1l..d5h, AnsLow, AnsHigh), "" if it is no field's; message as the
// address's option says it, short without the option's name (which the field says already).
function PageApi(module) {
  const exported = {
    presets: module.cwrap("tavrelo_presets", "string", []),
    texts: module.cwrap("tavrelo_texts", "string", []),
    choices: module.cwrap("tavrelo_choices", "string", []),
    read: module.cwrap("tavrelo_read", "string", ["string"]),
    make: module.cwrap("tavrelo_make", "string", ["string"]),
    practice: module.cwrap("tavrelo_practice", "string", ["string"]),
    judge: module.cwrap("tavrelo_judge", "string", ["string"]),
  };
  const call = (name, argument) => JSON.parse(exported[name](argument));
  const errors = (list) => list.map((e) => ({ field: e.field, value: e.value, message: e.message, short: e.short }));
  let texts = null;

  return {
    // The window's words: labels, hints, the digit places' names, the warning.
    texts() {
      if (!texts) texts = call("texts");
      return texts;
    },
    // [{name, title}]: the textbook exercises.
    presets() {
      return call("presets").map((p) => ({ name: p.name, title: p.title }));
    },
    // {option: {choices: [{value, label}], min, max, default}}: what each option of a run takes
    // on this page, and the words it shows for each choice.
    choices() {
      const options = {};
      for (const [name, o] of Object.entries(call("choices"))) {
        options[name] = {
          choices: (o.choices || []).map((c) => ({ value: c.value, label: c.label })),
          min: o.min,
          max: o.max,
          default: o.default,
        };
      }
      return options;
    },
    // An address read: {errors, fields}, the fields by the address's names (the settings).
    read(query) {
      const answer = call("read", query);
      return { errors: errors(answer.errors), fields: answer.fields };
    },
    // A run made: {errors} when a value is refused, else {errors: [], warning, seed, address,
    // paper: {size, border}, pages: [{sheet, answers, number, svg}]}; a page of the list of answers
    // has its place in the list too (list: 1, 2, ...) and stands for the first sheet it lists.
    make(query) {
      const answer = call("make", query);
      if (answer.errors.length) return { errors: errors(answer.errors) };
      return {
        errors: [],
        warning: answer.warning,
        seed: answer.seed,
        address: answer.address,
        paper: { size: answer.paper.size, border: answer.paper.border },
        pages: answer.pages,
      };
    },
    // A sheet's problems as figures to work cell by cell (web/entry.h, PracticeAnswer, says every
    // key): {errors} when refused, else {errors: [], seed, sheet, number, count, figures}.
    practice(query) {
      const answer = call("practice", query);
      if (answer.errors.length) return { errors: errors(answer.errors) };
      return answer;
    },
    // A pupil's entry judged (web/entry.h, JudgeAnswer): {errors} when refused, else the verdict
    // {right, mistake, hint}, or for judge=all {right, cells, stray, point, strikes}.
    judge(query) {
      const answer = call("judge", query);
      if (answer.errors.length) return { errors: errors(answer.errors) };
      return answer;
    },
  };
}
