# The module's description resources, generated from ModuleResources.h and the
# layout texts by bt-resgen: a resource script linked into the Windows module,
# side files in <module>.resources/<TYPE>/<NAME> next to the module elsewhere.

set(BT_RESOURCES_DIR ${CMAKE_CURRENT_LIST_DIR})
set(BT_RESOURCE_INPUTS
  ${BT_RESOURCES_DIR}/ModuleResources.h
  ${BT_RESOURCES_DIR}/Layouts/BarsAndToneSettingsWithIdentifiersDialog.lyra
  ${BT_RESOURCES_DIR}/Layouts/BarsAndToneSettingsWithIdentifiersDialog.ORIN.lyra)

bt_add_build_tool(bt-resgen
  SOURCES ${BT_RESOURCES_DIR}/Generator/GenerateResources.cpp
  INCLUDES ${BT_RESOURCES_DIR} ${PROJECT_SOURCE_DIR}/Common/include)

if(WIN32)
  set(rc_dir ${CMAKE_CURRENT_BINARY_DIR}/resources)
  set(rc_file ${rc_dir}/ImporterBarsAndTone.rc)
  add_custom_command(OUTPUT ${rc_file}
    COMMAND ${bt-resgen_COMMAND} rc ${BT_RESOURCES_DIR} ${rc_dir} ${rc_file}
    DEPENDS bt-resgen ${bt-resgen_COMMAND} ${BT_RESOURCE_INPUTS}
    COMMENT "Generating the module's resource script"
    VERBATIM)
  target_sources(ImporterBarsAndTone PRIVATE ${rc_file})
  # The resource compiler does not report the files a script embeds.
  set_source_files_properties(${rc_file} PROPERTIES OBJECT_DEPENDS "${BT_RESOURCE_INPUTS}")
else()
  set(side_dir ${BT_PLUGIN_OUTPUT_DIRECTORY}/ImporterBarsAndTone.cvm.resources)
  set(side_stamp ${CMAKE_CURRENT_BINARY_DIR}/side-resources.stamp)
  add_custom_command(OUTPUT ${side_stamp}
    COMMAND ${bt-resgen_COMMAND} side ${BT_RESOURCES_DIR} ${side_dir}
    COMMAND ${CMAKE_COMMAND} -E touch ${side_stamp}
    DEPENDS ${bt-resgen_COMMAND} ${BT_RESOURCE_INPUTS}
    BYPRODUCTS ${side_dir}
    COMMENT "Writing the module's resources beside it"
    VERBATIM)
  add_custom_target(ImporterBarsAndTone_resources DEPENDS ${side_stamp})
  add_dependencies(ImporterBarsAndTone ImporterBarsAndTone_resources)
endif()
