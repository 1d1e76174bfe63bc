# Third-party libraries: Boost.Regex 1.81 (header-only) and PCRE2 (8-bit).
# The Windows cross build finds them its own way.
if(CMAKE_CROSSCOMPILING AND WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/TrelliskWindows.cmake)
  return()
endif()

find_package(Boost 1.81...<1.82 CONFIG REQUIRED COMPONENTS headers)

find_package(PkgConfig REQUIRED)
pkg_check_modules(PCRE2 REQUIRED IMPORTED_TARGET libpcre2-8)
add_library(trellisk_pcre2 INTERFACE)
target_link_libraries(trellisk_pcre2 INTERFACE PkgConfig::PCRE2)
target_compile_definitions(trellisk_pcre2 INTERFACE PCRE2_CODE_UNIT_WIDTH=8)

add_library(trellisk_boost_regex INTERFACE)
target_link_libraries(trellisk_boost_regex INTERFACE Boost::headers)

find_package(Threads REQUIRED)
