# The end-to-end tests read the wallpaper surfaces from the window tree with this.
if(WIN32)
  add_executable(e2e_surfaces ${PROJECT_SOURCE_DIR}/tests/e2e/surfaces_win.cpp)
  target_compile_options(e2e_surfaces PRIVATE ${LH_WARNINGS})
  target_link_options(e2e_surfaces PRIVATE -municode ${LH_STATIC})
  set_target_properties(e2e_surfaces PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
endif()

# The bridge channel of the test runtime reads and writes its lines with this codec.
if(TARGET fakewebview)
  target_sources(fakewebview PRIVATE ${PROJECT_SOURCE_DIR}/tools/fakewebview/bridge_lines.cpp)
endif()
