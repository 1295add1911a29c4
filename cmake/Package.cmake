# The release players install. `cmake --build --preset win32 --target package`
# (or scripts/package.sh) makes dist/Vantorix-<version>-win32.zip, laid out as
# the game folder: the plug-in and its settings next to the game's executable,
# the sample effects, includes and textures in FX\, the documents in Vantorix\.
install(FILES $<TARGET_FILE:Sorvane> ${PROJECT_SOURCE_DIR}/package/Sorvane.ini DESTINATION .)
# Rain.fx carries a deliberate typo for the demo's failed compile: players get
# only effects that compile.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/samples/FX DESTINATION . PATTERN Rain.fx EXCLUDE)
install(FILES ${PROJECT_SOURCE_DIR}/docs/players.md DESTINATION Vantorix RENAME README.txt)
install(FILES ${PROJECT_SOURCE_DIR}/docs/shader-authoring.md DESTINATION Vantorix OPTIONAL)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION Vantorix RENAME LICENSE.txt)

# The notices are put together when the package is made, from the licence that
# came with the Dear ImGui sources the plug-in is built from.
set(VANTORIX_NOTICES_INTRO "Vantorix ${PROJECT_VERSION} contains third-party software, \
used under the licence that follows.

Dear ImGui (the overlay's user interface), compiled into Sorvane.asi:

")
install(CODE "
  file(READ [[${IMGUI_DIR}/LICENSE.txt]] imguiLicence)
  file(WRITE \"\${CMAKE_INSTALL_PREFIX}/Vantorix/THIRD-PARTY-NOTICES.txt\"
       [[${VANTORIX_NOTICES_INTRO}]] \"\${imguiLicence}\")
")

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Vantorix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Vantorix-${PROJECT_VERSION}-win32)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_OUTPUT_FILE_PREFIX ${PROJECT_SOURCE_DIR}/dist)
include(CPack)
