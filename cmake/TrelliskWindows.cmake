# Third-party libraries of the Windows cross build (see cmake/mingw-*.cmake):
# Boost.Regex header-only from the build machine's Boost 1.81, PCRE2 as the
# static 8-bit library built for the target (scripts/windows-cross.sh), and
# GoogleTest compiled from Debian's source inside this build.

# Only the boost/ folder is put on the include path: the rest of the build
# machine's /usr/include must not reach the cross compiler.
set(TRELLISK_BOOST_INCLUDE /usr/include/boost CACHE PATH "Boost 1.81 headers (the boost/ folder)")
set(_trellisk_boost_only ${PROJECT_BINARY_DIR}/boost-only)
file(MAKE_DIRECTORY ${_trellisk_boost_only})
file(CREATE_LINK ${TRELLISK_BOOST_INCLUDE} ${_trellisk_boost_only}/boost SYMBOLIC)
add_library(trellisk_boost_regex INTERFACE)
target_include_directories(trellisk_boost_regex SYSTEM INTERFACE ${_trellisk_boost_only})

set(TRELLISK_PCRE2_PREFIX $ENV{HOME}/.cache/trellisk-windows/pcre2-${CMAKE_SYSTEM_PROCESSOR}
  CACHE PATH "Where the static PCRE2 of the target architecture is installed")
if(NOT EXISTS ${TRELLISK_PCRE2_PREFIX}/lib/libpcre2-8.a)
  message(FATAL_ERROR "No PCRE2 in ${TRELLISK_PCRE2_PREFIX}; scripts/windows-cross.sh builds it")
endif()
add_library(trellisk_pcre2 INTERFACE)
target_include_directories(trellisk_pcre2 SYSTEM INTERFACE ${TRELLISK_PCRE2_PREFIX}/include)
target_link_libraries(trellisk_pcre2 INTERFACE ${TRELLISK_PCRE2_PREFIX}/lib/libpcre2-8.a)
target_compile_definitions(trellisk_pcre2 INTERFACE PCRE2_STATIC PCRE2_CODE_UNIT_WIDTH=8)

find_package(Threads REQUIRED)

# Test programs run under wine, which sees this machine's root as drive Z:.
set(TRELLISK_TEST_PATH_PREFIX "Z:")

if(TRELLISK_BUILD_TESTS)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  # Its project defines the GTest:: targets the test suites link.
  add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()
enable_language(RC)
