# lumenhollow-bake: the bake engine on Linux with a libav encoder and decoder.
if(NOT WIN32)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(LIBAV REQUIRED IMPORTED_TARGET libavcodec libavformat libavutil libswscale)

  # An optimised copy of the core: the sanitized one is for the unit tests.
  lh_core_library(lumencore_bake -O2 -DNDEBUG)
  file(GLOB LH_BAKE_AV CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/bake/*_av.cpp)
  add_executable(lumenhollow-bake ${LH_BAKE_AV})
  target_compile_options(lumenhollow-bake PRIVATE ${LH_WARNINGS} -O2 -DNDEBUG)
  target_link_libraries(lumenhollow-bake PRIVATE lumencore_bake PkgConfig::LIBAV)
endif()
