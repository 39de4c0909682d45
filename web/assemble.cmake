# Puts the page's scripts (joined in their order into one) and the module into the page
# template: one file, nothing to fetch.
cmake_minimum_required(VERSION 3.25)
file(READ ${TEMPLATE} page)
string(REPLACE "|" ";" scripts "${SCRIPTS}")
set(script "")
foreach(file IN LISTS scripts)
  file(READ ${file} part)
  string(APPEND script "${part}")
endforeach()
file(READ ${MODULE} module)
# Emscripten inlines the WebAssembly as a data: URL that its script fetches; the page's content
# policy (default-src 'none') refuses that fetch, and the browser logs it before the script falls
# back. The binary moves into an element of its own, where the page decodes it and hands the
# bytes to the module: the module's script fetches nothing.
# Which variable holds it differs between emscripten versions (3.1.6 assigns wasmBinaryFile,
# later ones return it from findWasmBinary), and the prefix also stands alone in the script as a
# constant: the payload is the occurrence followed by base64 up to its closing quote.
set(prefix "data:application/octet-stream;base64,")
string(LENGTH "${prefix}" length)
set(rest "${module}")
set(consumed 0)
set(wasm "")
while(TRUE)
  string(FIND "${rest}" "${prefix}" at)
  if(at EQUAL -1)
    break()
  endif()
  math(EXPR begin "${at} + ${length}")
  string(SUBSTRING "${rest}" ${begin} -1 rest)
  math(EXPR consumed "${consumed} + ${begin}")
  string(REGEX MATCH "^[A-Za-z0-9+/=]+" payload "${rest}")
  string(LENGTH "${payload}" size)
  if(size GREATER 1000)
    set(wasm "${payload}")
    set(cut ${consumed})
    break()
  endif()
endwhile()
if(wasm STREQUAL "")
  message(FATAL_ERROR "assemble.cmake: no inlined WebAssembly in ${MODULE} (built without -sSINGLE_FILE?)")
endif()
# The empty data: URL left in its place keeps the module from fetching anything.
string(SUBSTRING "${module}" 0 ${cut} head)
string(LENGTH "${wasm}" size)
math(EXPR after "${cut} + ${size}")
string(SUBSTRING "${module}" ${after} -1 tail)
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
