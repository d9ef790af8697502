list(APPEND QUILLORY_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/open_dialog_result.cpp
  ${CMAKE_CURRENT_LIST_DIR}/folder_walk.cpp)
list(APPEND QUILLORY_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/open_dialog_press.cpp
  ${CMAKE_CURRENT_LIST_DIR}/add_folder_press.cpp
  ${CMAKE_CURRENT_LIST_DIR}/input_box.cpp
  ${CMAKE_CURRENT_LIST_DIR}/folder_picker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/directory_lister_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pending_messages.cpp)
