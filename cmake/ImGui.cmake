# Dear ImGui, compiled unchanged from the sources that scripts/setup.sh fetches
# from Debian into .deps/imgui. `imgui` is the core library; the plug-in links
# it into Sorvane.asi and into the simulated build alike.
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
endif()
