# Native Linux build: the core with sanitizers for the unit tests, and an
# optimised copy for the benchmarks.
set(LH_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

lh_core_library(lumencore ${LH_SANITIZE} -O1)
target_link_options(lumencore PUBLIC ${LH_SANITIZE})

find_package(GTest REQUIRED)
file(GLOB_RECURSE LH_UNIT_TESTS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(unit_tests ${LH_UNIT_TESTS})
target_compile_options(unit_tests PRIVATE ${LH_WARNINGS} ${LH_SANITIZE} -O1)
target_link_libraries(unit_tests PRIVATE lumencore GTest::gtest_main)
target_compile_definitions(unit_tests PRIVATE LH_SOURCE_DIR="${PROJECT_SOURCE_DIR}")

lh_core_library(lumencore_bench -O2 -DNDEBUG)
set_target_properties(lumencore_bench PROPERTIES EXCLUDE_FROM_ALL ON)
find_package(benchmark REQUIRED)
file(GLOB LH_BENCHES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/bench/*.cpp)
list(FILTER LH_BENCHES EXCLUDE REGEX "_win\\.cpp$")  # Windows programs, built by the MinGW build
if(LH_BENCHES)
  add_executable(benchmarks EXCLUDE_FROM_ALL ${LH_BENCHES})
  target_compile_options(benchmarks PRIVATE ${LH_WARNINGS} -O2 -DNDEBUG)
  target_link_libraries(benchmarks PRIVATE lumencore_bench benchmark::benchmark_main)
endif()
