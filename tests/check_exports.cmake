# Fails unless the plug-in library exports exactly the twelve TBP_ functions.
# Run as: cmake -DPLUGIN=<path to trellisk.tbp> -P check_exports.cmake
execute_process(COMMAND nm -D --defined-only "${PLUGIN}" OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "nm failed on ${PLUGIN}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${listing}")
set(exported)
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^[0-9a-fA-F]* *[A-Za-z] " "" symbol "${line}")
  list(APPEND exported "${symbol}")
endforeach()
include(${CMAKE_CURRENT_LIST_DIR}/expected_exports.cmake)
trellisk_expect_exports("${exported}")
