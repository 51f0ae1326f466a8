# Windows build through MinGW-w64: the product, its integration tests and the
# Windows test tools, all linked statically so they need nothing but Windows.
enable_language(RC)
add_compile_definitions(UNICODE _UNICODE WINVER=0x0A00 _WIN32_WINNT=0x0A00 NOMINMAX WIN32_LEAN_AND_MEAN)
set(LH_STATIC -static -static-libgcc -static-libstdc++)

lh_core_library(lumencore)

file(GLOB_RECURSE LH_SHELL_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/*_win.cpp)
list(REMOVE_ITEM LH_SHELL_SOURCES ${PROJECT_SOURCE_DIR}/src/app/main_win.cpp)
add_library(lumenshell STATIC ${LH_SHELL_SOURCES})
target_compile_options(lumenshell PRIVATE ${LH_WARNINGS})
target_link_libraries(lumenshell PUBLIC lumencore
  user32 gdi32 shell32 shlwapi comctl32 dwmapi wtsapi32 advapi32 powrprof
  ole32 oleaut32 uuid windowscodecs mfplat mfuuid mf mfreadwrite d3d11 dxgi)

add_executable(lumenhollow WIN32 src/app/main_win.cpp res/lumenhollow.rc)
target_compile_options(lumenhollow PRIVATE ${LH_WARNINGS})
target_link_options(lumenhollow PRIVATE -municode ${LH_STATIC})
target_link_libraries(lumenhollow PRIVATE lumenshell)

# GoogleTest built for Windows from Debian's sources.
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB LH_WINE_TESTS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/wine/*.cpp)
add_executable(wine_tests ${LH_WINE_TESTS})
target_compile_options(wine_tests PRIVATE ${LH_WARNINGS})
target_link_options(wine_tests PRIVATE -municode ${LH_STATIC})
target_link_libraries(wine_tests PRIVATE lumenshell gtest)
add_dependencies(wine_tests lumenhollow)

file(GLOB LH_TOOLS ${PROJECT_SOURCE_DIR}/tools/*/CMakeLists.txt)
foreach(tool IN LISTS LH_TOOLS)
  get_filename_component(dir ${tool} DIRECTORY)
  add_subdirectory(${dir})
endforeach()
