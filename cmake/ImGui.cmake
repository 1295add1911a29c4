# Dear ImGui, compiled unchanged from the sources that scripts/setup.sh fetches
# from Debian into .deps/imgui. `imgui` is the core library and
# `imgui_backends` its Win32 platform and Direct3D 9 renderer backends; the
# plug-in links both into Sorvane.asi and into the simulated build alike.
set(IMGUI_DIR ${PROJECT_SOURCE_DIR}/.deps/imgui CACHE PATH "Dear ImGui sources")
if(NOT EXISTS ${IMGUI_DIR}/imgui.h)
  message(FATAL_ERROR "Dear ImGui not found in ${IMGUI_DIR}: run scripts/setup.sh")
endif()

add_library(imgui STATIC
  ${IMGUI_DIR}/imgui.cpp
  ${IMGUI_DIR}/imgui_draw.cpp
  ${IMGUI_DIR}/imgui_tables.cpp
  ${IMGUI_DIR}/imgui_widgets.cpp)
# Included as system headers: the library's own warnings are not ours to fix.
target_include_directories(imgui SYSTEM PUBLIC ${IMGUI_DIR})
if(WIN32)
  # The core's default IME handler calls imm32.
  target_link_libraries(imgui PUBLIC imm32)
else()
  # The simulated build turns on the library's item hooks (its documented
  # IMGUI_ENABLE_TEST_ENGINE switch) so that tests can see which widgets a
  # frame drew, with their labels and rectangles: sim/include/sim/widget_log.h.
  target_compile_definitions(imgui PUBLIC IMGUI_ENABLE_TEST_ENGINE)
  target_sources(imgui PRIVATE ${PROJECT_SOURCE_DIR}/sim/imgui/widget_log.cpp)
  set_source_files_properties(${PROJECT_SOURCE_DIR}/sim/imgui/widget_log.cpp PROPERTIES COMPILE_OPTIONS "-Wall;-Wextra")
  target_include_directories(imgui PRIVATE ${PROJECT_SOURCE_DIR}/sim/include)
endif()

add_library(imgui_backends STATIC
  ${IMGUI_DIR}/backends/imgui_impl_win32.cpp
  ${IMGUI_DIR}/backends/imgui_impl_dx9.cpp)
target_include_directories(imgui_backends SYSTEM PUBLIC ${IMGUI_DIR}/backends)
target_link_libraries(imgui_backends PUBLIC imgui)
# The overlay never navigates with a gamepad. Without this documented switch
# the Win32 backend loads an XInput DLL at start-up and unloads it at shutdown,
# which runs inside the plug-in's detach; Wine's XInput has a thread that may
# still return into the DLL as it is unmapped.
target_compile_definitions(imgui_backends PRIVATE IMGUI_IMPL_WIN32_DISABLE_GAMEPAD)
if(WIN32)
  # Display and composition helpers of the Win32 backend (GetDeviceCaps, Dwm*).
  target_link_libraries(imgui_backends PUBLIC d3d9 dwmapi gdi32)
else()
  # <windows.h>, <d3d9.h> and the rest resolve to the simulated host's
  # declarations, for these two files only.
  target_include_directories(imgui_backends PRIVATE ${PROJECT_SOURCE_DIR}/sim/include/compat)
  target_link_libraries(imgui_backends PUBLIC vantorix_sim)
endif()
