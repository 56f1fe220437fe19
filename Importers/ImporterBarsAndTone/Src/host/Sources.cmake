target_sources(ImporterBarsAndTone_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AcquireSettings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BasicSelectors.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ClipInfo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Dispatch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HostServices.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SequenceMatching.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ToneSettings.cpp)
