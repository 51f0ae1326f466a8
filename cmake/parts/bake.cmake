# lumenhollow-bake: the bake engine on Linux with a libav encoder and decoder.
# Built on demand (tests/bake/run.sh, make bench) so `make unit` stays quick.
if(NOT WIN32)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(LIBAV REQUIRED IMPORTED_TARGET libavcodec libavformat libavutil libswscale)

  file(GLOB LH_BAKE_AV CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/bake/*_av.cpp)
  add_executable(lumenhollow-bake EXCLUDE_FROM_ALL ${LH_BAKE_AV})
  target_compile_options(lumenhollow-bake PRIVATE ${LH_WARNINGS} -O2 -DNDEBUG)
  # The optimised copy of the core that the benchmarks use.
  target_link_libraries(lumenhollow-bake PRIVATE lumencore_bench PkgConfig::LIBAV)
endif()
