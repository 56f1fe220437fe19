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

# GCC's note on how 32-byte vectors pass between functions comes from the
# always-inlined helpers of the vector sine, where no such call remains; the
# pragma in the file does not reach it.
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/SineSamples.cpp PROPERTIES COMPILE_OPTIONS -Wno-psabi)
