# Starts the window program with no display at all: one line naming the way out, exit code 1.
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM
          ${KORIMU}
  RESULT_VARIABLE code ERROR_VARIABLE err OUTPUT_VARIABLE out TIMEOUT 60)
if(NOT code EQUAL 1)
  message(FATAL_ERROR "expected exit code 1, got ${code}: ${err}")
endif()
string(STRIP "${err}" line)
if(line MATCHES "\n" OR NOT line MATCHES "display" OR NOT line MATCHES "--render"
   OR NOT line MATCHES "--check")
  message(FATAL_ERROR "unexpected message: ${err}")
endif()
