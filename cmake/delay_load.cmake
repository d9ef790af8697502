# System DLLs the window's first paint does not need (the Open dialog's, the folder picker's,
# OLE's and automation's) load at the first call into them rather than before the program
# starts: quillory_delay_load(<target> <dll>...).
#  - MSVC: the linker's /DELAYLOAD.
#  - MinGW: an import library made from cmake/delay_loaded/<dll>.def, which names every
#    function the program calls, linked before the ordinary ones so that it takes those calls
#    over. For GNU ld (the GCC build) binutils' dlltool makes it a delay-import library; for
#    LLVM's lld (the clang build, cmake/clang-mingw-w64.cmake) llvm-dlltool makes a plain one
#    in the short form, the only form whose imports lld's --delayload moves. The loading
#    helper comes from MinGW-w64's libdelayimp.
# A test (<target>.delay_loaded) fails if the program still imports one of them at start, as
# it would for a function missing from its .def.
function(quillory_delay_load target)
  if(MSVC)
    foreach(dll ${ARGN})
      target_link_options(${target} PRIVATE /DELAYLOAD:${dll}.dll)
    endforeach()
    target_link_libraries(${target} PRIVATE delayimp)
  elseif(MINGW)
    set(lld FALSE)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
      set(lld TRUE)
      find_program(QUILLORY_LLVM_DLLTOOL NAMES llvm-dlltool REQUIRED)
    else()
      find_program(QUILLORY_DLLTOOL NAMES x86_64-w64-mingw32-dlltool REQUIRED)
    endif()
    set(folder ${CMAKE_CURRENT_BINARY_DIR}/delay_loaded)
    set(libraries)
    foreach(dll ${ARGN})
      set(def ${CMAKE_SOURCE_DIR}/cmake/delay_loaded/${dll}.def)
      set(library ${folder}/lib${dll}_delay.a)
      # Made inside its folder: dlltool names the library's symbols after the path it is given,
      # and a build folder's path must not reach the program.
      if(lld)
        set(make ${QUILLORY_LLVM_DLLTOOL} -m i386:x86-64 -d ${def} -l lib${dll}_delay.a)
        target_link_options(${target} PRIVATE -Wl,--delayload=${dll}.dll)
      else()
        set(make ${QUILLORY_DLLTOOL} --input-def ${def} --output-delaylib lib${dll}_delay.a)
      endif()
      file(MAKE_DIRECTORY ${folder})
      add_custom_command(OUTPUT ${library} COMMAND ${make} WORKING_DIRECTORY ${folder} DEPENDS ${def} VERBATIM)
      list(APPEND libraries ${library})
    endforeach()
    add_custom_target(${target}_delay_libraries DEPENDS ${libraries})
    add_dependencies(${target} ${target}_delay_libraries)
    target_link_libraries(${target} PRIVATE ${libraries} delayimp)
  else()
    return()
  endif()
  if(QUILLORY_TESTS AND CMAKE_OBJDUMP)
    # objdump names each imported DLL as its import library spells it, in either case.
    set(names)
    foreach(dll ${ARGN})
      string(LENGTH ${dll} length)
      math(EXPR last "${length} - 1")
      set(name)
      foreach(i RANGE ${last})
        string(SUBSTRING ${dll} ${i} 1 c)
        string(TOUPPER ${c} upper)
        string(APPEND name "[${c}${upper}]")
      endforeach()
      list(APPEND names ${name})
    endforeach()
    string(REPLACE ";" "|" names "${names}")
    enable_testing()
    add_test(NAME ${target}.delay_loaded COMMAND ${CMAKE_OBJDUMP} -p $<TARGET_FILE:${target}>)
    set_tests_properties(${target}.delay_loaded PROPERTIES FAIL_REGULAR_EXPRESSION "DLL Name: (${names})\\\\.[dD][lL][lL]")
  endif()
endfunction()
