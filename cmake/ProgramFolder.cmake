# SPDX-License-Identifier: GPL-3.0-or-later
# Puts the shipped presets and the help beside the executables, so the build
# tree is a complete program folder, and installs the same files.
set(preset_source ${CMAKE_SOURCE_DIR}/presets/library)
set(help_source ${CMAKE_SOURCE_DIR}/docs/help.html)
file(GLOB_RECURSE preset_files CONFIGURE_DEPENDS ${preset_source}/*)
add_custom_command(OUTPUT ${TREMOLIX_PROGRAM_DIR}/help.html ${CMAKE_BINARY_DIR}/preset.stamp
  COMMAND ${CMAKE_COMMAND} -E remove_directory ${TREMOLIX_PROGRAM_DIR}/Preset
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${preset_source} ${TREMOLIX_PROGRAM_DIR}/Preset
  COMMAND ${CMAKE_COMMAND} -E copy ${help_source} ${TREMOLIX_PROGRAM_DIR}/help.html
  COMMAND ${CMAKE_COMMAND} -E touch ${CMAKE_BINARY_DIR}/preset.stamp
  DEPENDS ${preset_files} ${help_source}
  COMMENT "Filling the program folder")
add_custom_target(program_folder ALL DEPENDS ${TREMOLIX_PROGRAM_DIR}/help.html ${CMAKE_BINARY_DIR}/preset.stamp)
install(DIRECTORY ${preset_source}/ DESTINATION ${TREMOLIX_DATA_INSTALL_DIR}/Preset)
install(FILES ${help_source} DESTINATION ${TREMOLIX_DATA_INSTALL_DIR})
