# SPDX-FileCopyrightText: 2026 The Tolvane developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Fails when lupdate, run over the sources as `--target update_translations` runs it, would
# change a committed translation (a text the program shows that the .ts lacks, or one it
# no longer shows), or when a translation is left unfinished.
#   cmake -DLUPDATE=... -DOPTIONS=a,b -DSOURCE_DIR=... -DWORK_DIR=... -P check-translations.cmake
string(REPLACE "," ";" options "${OPTIONS}")
file(GLOB_RECURSE sources ${SOURCE_DIR}/src/*.cpp ${SOURCE_DIR}/src/*.h)
list(SORT sources)
list(JOIN sources "\n" listed)
file(WRITE ${WORK_DIR}/sources.lst "${listed}\n")
file(GLOB translations ${SOURCE_DIR}/translations/*.ts)
if(NOT translations)
  message(FATAL_ERROR "no translations in ${SOURCE_DIR}/translations")
endif()
set(failed FALSE)
foreach(ts ${translations})
  get_filename_component(name ${ts} NAME)
  configure_file(${ts} ${WORK_DIR}/${name} COPYONLY)
  execute_process(COMMAND ${LUPDATE} ${options} -I ${SOURCE_DIR}/src @${WORK_DIR}/sources.lst
                          -ts ${WORK_DIR}/${name}
                  RESULT_VARIABLE status OUTPUT_QUIET)
  file(READ ${ts} committed)
  file(READ ${WORK_DIR}/${name} updated)
  if(NOT status EQUAL 0 OR NOT committed STREQUAL updated)
    execute_process(COMMAND diff -u ${ts} ${WORK_DIR}/${name})
    message(SEND_ERROR "${name} is not up to date with the sources: run "
                       "`cmake --build build --target update_translations` and translate")
    set(failed TRUE)
  endif()
  string(REGEX MATCHALL "<source>[^<]*</source>[ \n]*<translation type=\"unfinished\"" open
         "${committed}")
  if(open)
    string(REPLACE ";" "\n" open "${open}")
    message(SEND_ERROR "${name} has untranslated texts:\n${open}")
  endif()
endforeach()
