list(APPEND QUILLORY_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/file_list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/reorder_gesture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/list_moves.cpp
  ${CMAKE_CURRENT_LIST_DIR}/drop_list.cpp)
list(APPEND QUILLORY_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/drop_target_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/list_view_win.cpp)
