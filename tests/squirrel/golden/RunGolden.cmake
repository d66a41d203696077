# Runs one script and compares its standard output with the expected text.
execute_process(COMMAND ${RUNNER} ${SCRIPT}
                OUTPUT_VARIABLE actual ERROR_VARIABLE errors RESULT_VARIABLE status)
file(READ ${EXPECTED} expected)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "runner failed (${status}):\n${errors}\noutput:\n${actual}")
endif()
if(NOT actual STREQUAL expected)
  message(FATAL_ERROR "output differs from ${EXPECTED}:\n${actual}\nstderr:\n${errors}")
endif()
