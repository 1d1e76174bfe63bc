# Fails unless the Windows plug-in library exports exactly the twelve TBP_
# functions under their undecorated names and imports system libraries only
# (everything else is linked in statically).
# Run as: cmake -DPLUGIN=<trellisk.tbp> -DOBJDUMP=<objdump> -P check_windows_exports.cmake
execute_process(COMMAND ${OBJDUMP} -p "${PLUGIN}" OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${PLUGIN}")
endif()

# The export table lists "[Ordinal] Name" rows after "[Ordinal/Name Pointer] Table",
# up to the next empty line.
string(FIND "${listing}" "[Ordinal/Name Pointer] Table" start)
string(SUBSTRING "${listing}" ${start} -1 exportTable)
string(FIND "${exportTable}" "\n\n" end)
string(SUBSTRING "${exportTable}" 0 ${end} exportTable)
string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" rows "${exportTable}")
set(exported)
foreach(row IN LISTS rows)
  string(REGEX REPLACE "^\\[ *[0-9]+\\] " "" name "${row}")
  list(APPEND exported "${name}")
endforeach()
include(${CMAKE_CURRENT_LIST_DIR}/expected_exports.cmake)
trellisk_expect_exports("${exported}")

string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${listing}")
set(system KERNEL32.dll USER32.dll GDI32.dll COMCTL32.dll COMDLG32.dll ADVAPI32.dll WS2_32.dll WSOCK32.dll
  msvcrt.dll)
foreach(import IN LISTS imports)
  string(REPLACE "DLL Name: " "" dll "${import}")
  string(TOUPPER "${dll}" upper)
  set(known FALSE)
  foreach(allowed IN LISTS system)
    string(TOUPPER "${allowed}" allowedUpper)
    if(upper STREQUAL allowedUpper)
      set(known TRUE)
    endif()
  endforeach()
  if(NOT known)
    message(FATAL_ERROR "the plug-in imports ${dll}, which is not a system library")
  endif()
endforeach()
