# Runs `korimu --screenshot` and checks that the PNG holds exactly the client area (640 x 383),
# and that Qt's start-up remarks (no XDG_RUNTIME_DIR, no propagateSizeHints) stay off stderr.
execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=XDG_RUNTIME_DIR
                        ${KORIMU} --screenshot ${OUT} ${WAV}
                RESULT_VARIABLE code ERROR_VARIABLE errors)
if(NOT code EQUAL 0)
  message(FATAL_ERROR "korimu --screenshot exited with ${code}: ${errors}")
endif()
if(errors MATCHES "XDG_RUNTIME_DIR|propagateSizeHints")
  message(FATAL_ERROR "Qt start-up remarks were printed: ${errors}")
endif()
file(READ ${OUT} header LIMIT 24 HEX)
string(SUBSTRING "${header}" 0 16 signature)
string(SUBSTRING "${header}" 32 16 size)
if(NOT signature STREQUAL "89504e470d0a1a0a")
  message(FATAL_ERROR "not a PNG: ${signature}")
endif()
# IHDR width 640 (0x280) and height 383 (0x17f), big-endian.
if(NOT size STREQUAL "000002800000017f")
  message(FATAL_ERROR "unexpected size: ${size}")
endif()
