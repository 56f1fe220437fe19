# The colour bars: region tables, the renderer, the picture selectors.
target_sources(ImporterBarsAndTone_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/BarsPixelFormat.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BarsRenderer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GetColorDescription.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GetPicture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GetPixelFormat.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PictureSuites.cpp)
