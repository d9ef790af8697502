list(APPEND QUILLORY_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/open_dialog_result.cpp
  ${CMAKE_CURRENT_LIST_DIR}/folder_walk.cpp
  ${CMAKE_CURRENT_LIST_DIR}/name_pattern.cpp
  ${CMAKE_CURRENT_LIST_DIR}/command_line_paths.cpp)
list(APPEND QUILLORY_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/open_dialog_press_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/add_folder_press_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/input_box_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/folder_picker_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/directory_lister_win.cpp)
