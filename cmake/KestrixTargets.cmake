# One helper per kind of target, so that adding a test or a benchmark costs one line.

if(CMAKE_CROSSCOMPILING)
    # googletest for the target, from Debian's source package (googletest).
    set(KESTRIX_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "googletest sources")
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(${KESTRIX_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    foreach(lib gtest gtest_main gmock)
        if(NOT TARGET GTest::${lib})
            add_library(GTest::${lib} ALIAS ${lib})
        endif()
    endforeach()
else()
    find_package(GTest QUIET)
endif()

if(CMAKE_CROSSCOMPILING AND CMAKE_CROSSCOMPILING_EMULATOR)
    # Every test under Wine shares one prefix inside the build folder, made once before
    # the first test; the user's own ~/.wine is never touched.
    set(KESTRIX_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
    set(KESTRIX_WINE_ENV WINEPREFIX=${KESTRIX_WINEPREFIX} WINEDEBUG=-all WINEARCH=win64
                         KESTRIX_WINE=${CMAKE_CROSSCOMPILING_EMULATOR}
                         "WINEDLLOVERRIDES=mscoree,mshtml=")
    add_test(NAME wine_prefix COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} wineboot --init)
    set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine_prefix TIMEOUT 300
                                                ENVIRONMENT "${KESTRIX_WINE_ENV}")
endif()

# kestrix_wine_test(<test>...): runs the tests in the shared Wine prefix.
function(kestrix_wine_test)
    if(KESTRIX_WINEPREFIX)
        set_tests_properties(${ARGN} PROPERTIES FIXTURES_REQUIRED wine_prefix
                                                ENVIRONMENT "${KESTRIX_WINE_ENV}")
    endif()
endfunction()

# kestrix_test(<name> <source>... [LIBS <lib>...])
# A GoogleTest executable whose cases CTest runs one process each. One process per case
# matters: the ODBC driver manager reads its ini-file variables once per process, so
# every case may point them at a sandbox of its own.
function(kestrix_test name)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
    target_link_libraries(${name} PRIVATE kestrix_test_support ${ARG_LIBS} GTest::gtest_main
                                          GTest::gmock)
    if(WIN32)
        # No per-case sandbox is needed there, and each process start costs a Wine start.
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES TIMEOUT 120)
        kestrix_wine_test(${name})
    else()
        gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)
    endif()
endfunction()

# kestrix_benchmark(<name> <source>... [LIBS <lib>...])
# A Google Benchmark executable. Never run by CTest: speed is measured, not asserted.
function(kestrix_benchmark name)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    if(WIN32)
        return()
    endif()
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
    if(NOT KESTRIX_SANITIZE AND NOT WIN32)
        add_test(NAME ${name} COMMAND ${ARGN})
        set_tests_properties(${name} PROPERTIES TIMEOUT 180)
    endif()
endfunction()
