# cmake -DLUPDATE=... -DTS=pagelorn_LANG.ts -DWORK=folder -DSOURCES=src1;src2 -P CheckTranslation.cmake
# Updates a copy of the translation from the sources, as the maintainers' update would, and fails
# when that copy has a text without a finished translation or one the sources no longer hold.
get_filename_component(name ${TS} NAME)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(COPY_FILE ${TS} ${WORK}/${name})
execute_process(COMMAND ${LUPDATE} -locations none ${SOURCES} -ts ${WORK}/${name}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "lupdate failed:\n${output}")
endif()
file(READ ${WORK}/${name} updated)
# A semicolon would split the list of findings.
string(REPLACE ";" "," updated "${updated}")
set(problems)
foreach(kind unfinished vanished obsolete)
    # lupdate writes each message as <source>...</source> followed by its <translation> (with a
    # <comment> or <translatorcomment> between when there is one).
    string(REGEX MATCHALL "<source>[^<]*</source>[^<]*(<[a-z]*comment>[^<]*</[a-z]*comment>[^<]*)*<translation type=\"${kind}\""
           found "${updated}")
    foreach(entry IN LISTS found)
        string(REGEX REPLACE "^<source>([^<]*)</source>.*" "\\1" source "${entry}")
        string(APPEND problems "\n  ${kind}: ${source}")
    endforeach()
endforeach()
if(problems)
    message(FATAL_ERROR "${name} is not up to date with the sources (build the target "
                        "pagelorn_update_translations, then translate):${problems}")
endif()
message(STATUS "${name}: every text has its translation")
