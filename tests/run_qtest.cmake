# Runs one Qt Test program for ctest. It passes only when the program ran to
# its end: status 0 and the closing "Totals:" line with no failure. A program
# that stops half-way, even with status 0, has not passed.
#
#   cmake -DPROGRAM=<test executable> [-DEMULATOR=<runner;args>] -P run_qtest.cmake
execute_process(
    COMMAND ${EMULATOR} "${PROGRAM}"
    RESULT_VARIABLE status
    OUTPUT_VARIABLE output
    ECHO_OUTPUT_VARIABLE
    ECHO_ERROR_VARIABLE)

if(NOT status STREQUAL "0")
    message(FATAL_ERROR "${PROGRAM} ended with status ${status}")
endif()
if(NOT output MATCHES "Totals: [0-9]+ passed, 0 failed")
    message(FATAL_ERROR "${PROGRAM} ended without a \"Totals:\" line that reports no failure")
endif()
