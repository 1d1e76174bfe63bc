# trellisk_test(<name> SOURCES ... DEPENDS ... [LABELS ...] [TIMEOUT s])
# builds one GoogleTest program and registers it with CTest under its name.
# Every test carries the label "unit" unless LABELS says otherwise; the
# sanitizer presets run the whole suite, the "corpus" label marks suites that
# read the real-mail corpus (skipped when it has not been fetched).

if(NOT TARGET GTest::gtest)  # the Windows cross build compiles its own
  find_package(GTest 1.12 REQUIRED)
endif()

function(trellisk_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;DEPENDS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  add_test(NAME ${name} COMMAND ${name})
  if(NOT ARG_LABELS)
    set(ARG_LABELS unit)
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}" TIMEOUT ${ARG_TIMEOUT}
    ENVIRONMENT "TRELLISK_SOURCE_DIR=${TRELLISK_TEST_PATH_PREFIX}${PROJECT_SOURCE_DIR};TRELLISK_CORPUS_DIR=${TRELLISK_TEST_PATH_PREFIX}${PROJECT_SOURCE_DIR}/.cache/corpus")
endfunction()
