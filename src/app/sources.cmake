list(APPEND QUILLORY_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/home_page.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_palette.cpp
  ${CMAKE_CURRENT_LIST_DIR}/report_names.cpp
  ${CMAKE_CURRENT_LIST_DIR}/document_share.cpp
  ${CMAKE_CURRENT_LIST_DIR}/command_line.cpp)
list(APPEND QUILLORY_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/main_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_window_layout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_pointer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/report_store.cpp
  ${CMAKE_CURRENT_LIST_DIR}/run_settings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_centring.cpp
  ${CMAKE_CURRENT_LIST_DIR}/action_button.cpp
  ${CMAKE_CURRENT_LIST_DIR}/console_output.cpp
  ${CMAKE_CURRENT_LIST_DIR}/console_run_view.cpp
  ${CMAKE_CURRENT_LIST_DIR}/search_progress.cpp)
