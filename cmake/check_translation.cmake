# cmake -DTS=file.ts -DSTAMP=file.checked -P check_translation.cmake
# Fails when the catalogue leaves a text untranslated (unfinished or empty), so that no build
# installs a window that shows a text in the wrong language. The stamp records the check.
file(READ "${TS}" text)
string(REGEX MATCHALL "<translation type=\"unfinished\"[^>]*>" unfinished "${text}")
string(REGEX MATCHALL "<translation[^>]*/>|<translation>[ \t\r\n]*</translation>" empty "${text}")
list(LENGTH unfinished unfinished_count)
list(LENGTH empty empty_count)
if(unfinished_count GREATER 0 OR empty_count GREATER 0)
  message(FATAL_ERROR "${TS}: ${unfinished_count} unfinished and ${empty_count} empty "
                      "translations; translate them (linguist ${TS}) before building")
endif()
file(WRITE "${STAMP}" "")
