# Puts the page's script and the module into the page template: one file, nothing to fetch.
file(READ ${TEMPLATE} page)
file(READ ${SCRIPT} script)
file(READ ${MODULE} module)
# Emscripten inlines the WebAssembly as a data: URL that its script fetches; the page's content
# policy (default-src 'none') refuses that fetch, and the browser logs it before the script falls
# back. The binary moves into an element of its own, where the page decodes it and hands the
# bytes to the module: the module's script fetches nothing.
set(prefix "wasmBinaryFile=\"data:application/octet-stream;base64,")
string(FIND "${module}" "${prefix}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "assemble.cmake: no inlined WebAssembly in ${MODULE} (built without -sSINGLE_FILE?)")
endif()
string(LENGTH "${prefix}" length)
math(EXPR begin "${at} + ${length}")
string(SUBSTRING "${module}" 0 ${begin} head)
string(SUBSTRING "${module}" ${begin} -1 rest)
string(FIND "${rest}" "\"" end)
string(SUBSTRING "${rest}" 0 ${end} wasm)
string(SUBSTRING "${rest}" ${end} -1 tail)
set(module "${head}${tail}")
# Inside a <script> element only "</script" could end it early.
foreach(part script module)
  string(FIND "${${part}}" "</script" at)
  if(NOT at EQUAL -1)
    string(REPLACE "</script" "<\\/script" ${part} "${${part}}")
  endif()
endforeach()
string(REPLACE "@TAVRELO_WASM@" "${wasm}" page "${page}")
string(REPLACE "@TAVRELO_MODULE@" "${module}" page "${page}")
string(REPLACE "@TAVRELO_PAGE_SCRIPT@" "${script}" page "${page}")
file(WRITE ${OUTPUT} "${page}")
