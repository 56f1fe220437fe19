target_sources(ImporterBarsAndTone_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AudioSelectors.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Blits.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ClipSound.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EbuMultichannel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EbuStereo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SampleClock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SineCore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SineSamples.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SlotWalk.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SteadyTone.cpp)
