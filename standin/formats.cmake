# The stand-in's document formats: portable code, built for Windows into the stand-in and
# natively for its tests. Both the top level and standin/CMakeLists.txt include this file;
# the library is defined once.
include_guard(GLOBAL)

add_library(quillory_standin_formats STATIC
  ${CMAKE_CURRENT_LIST_DIR}/inflate.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zip_package.cpp
  ${CMAKE_CURRENT_LIST_DIR}/compound_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xml_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/word_package.cpp
  ${CMAKE_CURRENT_LIST_DIR}/document_kind.cpp
  ${CMAKE_CURRENT_LIST_DIR}/template_making.cpp
  ${CMAKE_CURRENT_LIST_DIR}/compatibility_mode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/engine_choice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/office_command.cpp)
target_include_directories(quillory_standin_formats PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(quillory_standin_formats PUBLIC quillory_common_headers)

# zlib for deflate, linked statically so the stand-in needs no DLL beside it (Debian:
# zlib1g-dev natively, libz-mingw-w64-dev for MinGW).
set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)
target_link_libraries(quillory_standin_formats PUBLIC ZLIB::ZLIB)
