# The twelve TBP_ functions the plug-in library exports, and the check that a
# list of exported names (as read from the library) is exactly these.
# Included by check_exports.cmake and check_windows_exports.cmake.
function(trellisk_expect_exports exported)
  list(SORT exported)
  set(expected TBP_ExecMacro TBP_FeedSpam TBP_Finalize TBP_GetMacroList TBP_GetName TBP_GetSpamScore
      TBP_GetStatus TBP_GetVersion TBP_Initialize TBP_NeedCOM TBP_NeedConfig TBP_Setup)
  if(NOT exported STREQUAL expected)
    message(FATAL_ERROR "the plug-in exports:\n  ${exported}\nexpected exactly:\n  ${expected}")
  endif()
endfunction()
