list(APPEND QUILLORY_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/open_dialog_result.cpp
  ${CMAKE_CURRENT_LIST_DIR}/folder_walk.cpp)
list(APPEND QUILLORY_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/presses_pending.cpp)
