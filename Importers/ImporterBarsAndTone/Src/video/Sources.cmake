target_sources(ImporterBarsAndTone_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/PictureSelectors.cpp)
