# Writes the header that names the source tree's commit (with "-dirty" when
# files differ from it), touching it only when the text changes.
find_package(Git QUIET)
set(commit "unknown")
if(GIT_FOUND)
  execute_process(COMMAND ${GIT_EXECUTABLE} describe --always --dirty --abbrev=12
                  WORKING_DIRECTORY ${SOURCE_DIR} OUTPUT_VARIABLE out RESULT_VARIABLE rc
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(rc EQUAL 0 AND out)
    set(commit "${out}")
  endif()
endif()
set(text "// Generated at build time; do not edit.\n#pragma once\n#define VORNEL_BUILD_COMMIT \"${commit}\"\n")
if(EXISTS ${OUTPUT})
  file(READ ${OUTPUT} old)
else()
  set(old "")
endif()
if(NOT old STREQUAL text)
  file(WRITE ${OUTPUT} "${text}")
endif()
