list(APPEND QUILLORY_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/template_path.cpp
  ${CMAKE_CURRENT_LIST_DIR}/run_report.cpp
  ${CMAKE_CURRENT_LIST_DIR}/report_reading.cpp
  ${CMAKE_CURRENT_LIST_DIR}/report_journal.cpp
  ${CMAKE_CURRENT_LIST_DIR}/template_collisions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/closing_message.cpp
  ${CMAKE_CURRENT_LIST_DIR}/conversion_run.cpp)
list(APPEND QUILLORY_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/word_instance_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/instance_thread_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/word_automation_win.cpp)
