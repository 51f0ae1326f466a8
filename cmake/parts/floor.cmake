# lumenhollow-floor: the least program that shows a picture as a wallpaper
# does, measured beside ours by bench/wine_figures.sh.
if(WIN32)
  add_executable(lumenhollow-floor WIN32 ${PROJECT_SOURCE_DIR}/bench/floor_win.cpp)
  target_compile_options(lumenhollow-floor PRIVATE ${LH_WARNINGS})
  target_link_options(lumenhollow-floor PRIVATE -municode ${LH_STATIC})
  target_link_libraries(lumenhollow-floor PRIVATE d3d11 dxgi ole32 windowscodecs shell32 uuid)
  set_target_properties(lumenhollow-floor PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
endif()
