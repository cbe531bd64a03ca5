# plendo_add_test(<name> LAYER <layer> SOURCES <files...> LIBS <libs...>)
# One executable per suite; every test carries its layer as a CTest label so
# that `ctest -L <layer>` runs one layer. Qt suites run on the offscreen
# platform and need no display. CTest names each case of a parameterised
# suite by its gtest name, never by the printed parameter (a struct prints as
# raw bytes, which change from build to build): every such suite names its
# cases (tests/support/TestNames.h).
function(plendo_add_test name)
  cmake_parse_arguments(T "" "LAYER" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} plendo_testsupport GTest::gtest GTest::gtest_main GTest::gmock)
  # The suites' data lives in the repository, so a fresh clone runs them all.
  target_compile_definitions(${name} PRIVATE PLENDO_TESTDATA="${PROJECT_SOURCE_DIR}/tests/data")
  gtest_discover_tests(${name} NO_PRETTY_VALUES
    PROPERTIES LABELS ${T_LAYER} ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
    DISCOVERY_TIMEOUT 60)
endfunction()
