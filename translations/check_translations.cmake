# Fails when the sources hold a text the .ts does not translate yet, or the .ts holds an entry
# the sources no longer have. Run by ctest (translations_complete); fix with the
# junkbane_lupdate target and a translation of each entry it marks unfinished.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
get_filename_component(name ${TS} NAME)
file(COPY ${TS} DESTINATION ${WORK})
execute_process(COMMAND ${LUPDATE} -silent ${OPTIONS} ${DIRS} -ts ${WORK}/${name}
                RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0 OR errors)
  message(FATAL_ERROR "lupdate failed (${result}): ${errors}")
endif()
file(STRINGS ${WORK}/${name} lines ENCODING UTF-8)
set(problems "")
set(source "")
foreach(line IN LISTS lines)
  if(line MATCHES "<source>(.*)</source>")
    set(source "${CMAKE_MATCH_1}")
  elseif(line MATCHES "type=\"unfinished\"")
    string(APPEND problems "  untranslated: ${source}\n")
  elseif(line MATCHES "type=\"(vanished|obsolete)\"")
    string(APPEND problems "  no longer in the sources: ${source}\n")
  endif()
endforeach()
if(problems)
  message(FATAL_ERROR "${TS} is not up to date with the sources:\n${problems}"
                      "Run `cmake --build build -t junkbane_lupdate` and translate the entries "
                      "marked unfinished.")
endif()
message(STATUS "every text of the sources is translated in ${name}")
