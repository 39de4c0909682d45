# Puts the page's script and the module into the page template: one file, nothing to fetch.
file(READ ${TEMPLATE} page)
file(READ ${SCRIPT} script)
file(READ ${MODULE} module)
# Inside a <script> element only "</script" could end it early.
foreach(part script module)
  string(FIND "${${part}}" "</script" at)
  if(NOT at EQUAL -1)
    string(REPLACE "</script" "<\\/script" ${part} "${${part}}")
  endif()
endforeach()
string(REPLACE "@TAVRELO_MODULE@" "${module}" page "${page}")
string(REPLACE "@TAVRELO_PAGE_SCRIPT@" "${script}" page "${page}")
file(WRITE ${OUTPUT} "${page}")
