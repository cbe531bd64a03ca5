# plendo_add_test(<name> LAYER <layer> [THREADS] SOURCES <files...> LIBS <libs...>)
# One executable per suite; every test carries its layer as a CTest label so
# that `ctest -L <layer>` runs one layer. Qt suites run on the offscreen
# platform and need no display, in a fixed locale. CTest names each case of a parameterised
# suite by its gtest name, never by the printed parameter (a struct prints as
# raw bytes, which change from build to build): every such suite names its
# cases (tests/support/TestNames.h). THREADS marks a suite that starts
# threads: its tests also carry the label "threads", and the target
# `thread_suites` builds it, which is what `make tsan` runs under
# ThreadSanitizer.
add_custom_target(thread_suites)
# Every test runs in English whatever the machine's locale (plendo-batch
# follows it); a test that wants Japanese sets it for its own run.
set(PLENDO_TEST_ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;LANGUAGE=")
string(REPLACE ";" "\\;" plendo_test_environment_escaped "${PLENDO_TEST_ENVIRONMENT}")
function(plendo_add_test name)
  cmake_parse_arguments(T "THREADS" "LAYER" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} plendo_testsupport GTest::gtest GTest::gtest_main GTest::gmock)
  # The suites' data lives in the repository, so a fresh clone runs them all.
  target_compile_definitions(${name} PRIVATE PLENDO_TESTDATA="${PROJECT_SOURCE_DIR}/tests/data")
  gtest_discover_tests(${name} NO_PRETTY_VALUES
    PROPERTIES LABELS ${T_LAYER} ENVIRONMENT "${plendo_test_environment_escaped}"
    DISCOVERY_TIMEOUT 60)
  if(T_THREADS)
    add_dependencies(thread_suites ${name})
    # The second label goes on once CTest has read the discovered tests.
    set(script ${CMAKE_CURRENT_BINARY_DIR}/${name}_threads.cmake)
    file(WRITE ${script} "if(${name}_TESTS)\n"
                         "  set_tests_properties(\${${name}_TESTS} PROPERTIES LABELS \"${T_LAYER};threads\")\n"
                         "endif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
  endif()
endfunction()
