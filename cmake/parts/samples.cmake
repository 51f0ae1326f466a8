# lumenhollow-samples: paints the sample wallpaper pictures on Linux for
# lumenhollow-bake to animate (scripts/samples.sh). Built on demand.
if(NOT WIN32)
  find_package(ZLIB REQUIRED)
  file(GLOB LH_SAMPLES_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tools/samples/*.cpp)
  add_executable(lumenhollow-samples EXCLUDE_FROM_ALL ${LH_SAMPLES_SOURCES})
  target_compile_options(lumenhollow-samples PRIVATE ${LH_WARNINGS} -O2)
  target_link_libraries(lumenhollow-samples PRIVATE ZLIB::ZLIB)
endif()
