# The settings dialog (its one face, choice tables, data exchange, the dialog and its handlers).
target_sources(ImporterBarsAndTone_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ChoiceTables.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Presets.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DataExchange.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingsDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ToneSettingsDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ToneSettingsDialogHandlers.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ResourceModule.cpp)
target_link_libraries(ImporterBarsAndTone_core
  PUBLIC zelcore zelui zellyrafactory zelworkspace MediaBridge
  PRIVATE ${CMAKE_DL_LIBS})
