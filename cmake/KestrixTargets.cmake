# One helper per kind of target, so that adding a test or a benchmark costs one line.

find_package(GTest QUIET)

# kestrix_test(<name> <source>... [LIBS <lib>...])
# A GoogleTest executable whose cases CTest runs one process each. One process per case
# matters: the ODBC driver manager reads its ini-file variables once per process, so
# every case may point them at a sandbox of its own.
function(kestrix_test name)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
    target_link_libraries(${name} PRIVATE kestrix_test_support ${ARG_LIBS} GTest::gtest_main
                                          GTest::gmock)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)
endfunction()

# kestrix_benchmark(<name> <source>... [LIBS <lib>...])
# A Google Benchmark executable. Never run by CTest: speed is measured, not asserted.
function(kestrix_benchmark name)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    find_package(benchmark REQUIRED)
    add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
    target_link_libraries(${name} PRIVATE kestrix_test_support ${ARG_LIBS} benchmark::benchmark)
endfunction()

# kestrix_fuzzer(<name> <source>... [LIBS <lib>...])
# A libFuzzer target; only built with clang and KESTRIX_FUZZ=ON.
function(kestrix_fuzzer name)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
endfunction()

# kestrix_script_test(<name> <command>...)
# A test driven by a script (isql, pyodbc, the real window). Not added to sanitizer
# builds: an uninstrumented client cannot load an instrumented driver.
function(kestrix_script_test name)
    if(NOT KESTRIX_SANITIZE)
        add_test(NAME ${name} COMMAND ${ARGN})
        set_tests_properties(${name} PROPERTIES TIMEOUT 180)
    endif()
endfunction()
