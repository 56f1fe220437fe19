# `cmake --install` lays the program out as a relocatable tool: every path is
# relative to the program's own location, so the prefix can move.
#
#   bin/barsandtone
#   lib/barsandtone/plugins/ImporterBarsAndTone.cvm   (and its resource side files)
#   lib/barsandtone/lib/lib<platform>.so              (what the module and the program load)
#   share/man/man1/barsandtone.1
#   share/bash-completion/completions/barsandtone
#
# The module finds the platform libraries through its RPATH $ORIGIN/../lib,
# as in the build tree; the program finds the module from /proc/self/exe.
if(WIN32)
  return()
endif()

set(BT_INSTALL_PACKAGE_DIR lib/barsandtone)
get_property(platform_libraries GLOBAL PROPERTY BT_PLATFORM_LIBRARIES)
install(TARGETS ${platform_libraries} LIBRARY DESTINATION ${BT_INSTALL_PACKAGE_DIR}/lib)
install(TARGETS ImporterBarsAndTone LIBRARY DESTINATION ${BT_INSTALL_PACKAGE_DIR}/plugins)
install(DIRECTORY ${BT_PLUGIN_OUTPUT_DIRECTORY}/ImporterBarsAndTone.cvm.resources
        DESTINATION ${BT_INSTALL_PACKAGE_DIR}/plugins)
if(TARGET barsandtone)
  set_target_properties(barsandtone PROPERTIES INSTALL_RPATH "\$ORIGIN/../${BT_INSTALL_PACKAGE_DIR}/lib")
  install(TARGETS barsandtone RUNTIME DESTINATION bin)
  install(FILES ${BT_MAN_PAGE} DESTINATION share/man/man1)
  install(FILES ${BT_BASH_COMPLETION} DESTINATION share/bash-completion/completions RENAME barsandtone)
endif()
