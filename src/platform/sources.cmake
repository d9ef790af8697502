list(APPEND QUILLORY_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/objref.cpp
  ${CMAKE_CURRENT_LIST_DIR}/path_helpers.cpp
  ${CMAKE_CURRENT_LIST_DIR}/twips.cpp)
list(APPEND QUILLORY_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/accessible_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/appending_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/com_activation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shell_folder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/com_variant.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dispatch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dpi.cpp
  ${CMAKE_CURRENT_LIST_DIR}/files.cpp
  ${CMAKE_CURRENT_LIST_DIR}/hresult_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/local_time.cpp
  ${CMAKE_CURRENT_LIST_DIR}/message_box.cpp
  ${CMAKE_CURRENT_LIST_DIR}/message_filter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/message_pump.cpp
  ${CMAKE_CURRENT_LIST_DIR}/process_launch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/server_process.cpp
  ${CMAKE_CURRENT_LIST_DIR}/user_settings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/work_thread.cpp)
