# Writes the program's script into the page template, in place of its marker.
file(READ ${TEMPLATE} page)
file(READ ${SCRIPT} script)
# The script ends at the first "</script" the HTML parser meets.
string(TOLOWER "${script}" lowered)
string(FIND "${lowered}" "</script" found)
if(NOT found EQUAL -1)
    message(FATAL_ERROR "${SCRIPT} holds \"</script\" and cannot be written into the page")
endif()
string(REPLACE "@OSOBY_SCRIPT@" "${script}" page "${page}")
file(WRITE ${PAGE} "${page}")
