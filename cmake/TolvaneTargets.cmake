# Helpers that give every target of ours the same warnings and layout.

function(tolvane_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Werror
    -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Wunused
    -Woverloaded-virtual -Wconversion -Wsign-conversion
    -Wdouble-promotion -Wformat=2 -Wimplicit-fallthrough
    # GCC 12 at -O3 reports overlapping copies inside std::string that cannot
    # happen (GCC bug 105329); -Wnull-dereference is left out for the same
    # kind of noise from inlined standard containers.
    $<$<CXX_COMPILER_ID:GNU>:-Wno-restrict>)
endfunction()

function(tolvane_c_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Werror -Wshadow -Wconversion -Wformat=2)
endfunction()

# tolvane_library(<name> SOURCES ... [DEPENDS ...])
# A static library of ours whose headers are included as "subsystem/Header.h".
function(tolvane_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
  tolvane_warnings(${name})
endfunction()

# tolvane_test(<name> SOURCES ... [DEPENDS ...])
# One GoogleTest program; every test case becomes its own CTest entry.
function(tolvane_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} tolvane_lsan_suppressions
    GTest::gtest GTest::gmock GTest::gtest_main)
  tolvane_warnings(${name})
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 120)
endfunction()

# tolvane_benchmark(<name> SOURCES ... [DEPENDS ...])
function(tolvane_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} tolvane_bench_support benchmark::benchmark)
  tolvane_warnings(${name})
endfunction()
