# Puts the engine's script (ENGINE) into the page (TEMPLATE) in place of the
# line "<!-- engine -->" and writes the one file OUTPUT.
file(READ ${TEMPLATE} page)
file(READ ${ENGINE} engine)
string(FIND "${engine}" "</script" closing)
if(NOT closing EQUAL -1)
  message(FATAL_ERROR "The engine's script holds </script and cannot be put into the page")
endif()
string(FIND "${page}" "<!-- engine -->" marker)
if(marker EQUAL -1)
  message(FATAL_ERROR "${TEMPLATE} has no <!-- engine --> marker")
endif()
string(REPLACE "<!-- engine -->" "<script id=\"engine\">\n${engine}\n</script>" page "${page}")
file(WRITE ${OUTPUT} "${page}")
