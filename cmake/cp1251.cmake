# All text inside the logic is Windows-1251, and so are its string literals: the sources stay
# readable UTF-8 while the compiler stores narrow literals in the terminal's code page. Qt
# sources keep UTF-8 literals, because QString reads them as UTF-8.
#
# A compiler without -fexec-charset=CP1251 (clang: the fuzz build) compiles converted copies
# instead: every core source and header is turned into Windows-1251 under cp1251/ in the build
# folder, so that its literals hold the same bytes GCC's option gives them.
include(CheckCXXCompilerFlag)
check_cxx_compiler_flag(-fexec-charset=CP1251 QUILLON_HAS_EXEC_CHARSET)

if(NOT QUILLON_HAS_EXEC_CHARSET)
  find_program(QUILLON_ICONV iconv REQUIRED)
  set(QUILLON_CP1251_TREE ${CMAKE_BINARY_DIR}/cp1251)
  set(QUILLON_CP1251_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/cp1251_headers.cmake)
  # Headers now, for configuring, and again before every build, for edits since.
  execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE=${PROJECT_SOURCE_DIR}
                          -DTREE=${QUILLON_CP1251_TREE} -DICONV=${QUILLON_ICONV}
                          -P ${QUILLON_CP1251_SCRIPT})
  add_custom_target(quillon_cp1251_headers
    COMMAND ${CMAKE_COMMAND} -DSOURCE=${PROJECT_SOURCE_DIR} -DTREE=${QUILLON_CP1251_TREE}
            -DICONV=${QUILLON_ICONV} -P ${QUILLON_CP1251_SCRIPT}
    COMMENT "Windows-1251 copies of the core headers")
  # Clang says so about every Cyrillic literal of the copies; that is what they are for.
  add_compile_options(-Wno-invalid-source-encoding)
endif()

function(quillon_cp1251 target)
  if(QUILLON_HAS_EXEC_CHARSET)
    target_compile_options(${target} PRIVATE -fexec-charset=CP1251)
  endif()
endfunction()

# The sources to compile for a core target: as they are, or their Windows-1251 copies.
function(quillon_core_sources out)
  if(QUILLON_HAS_EXEC_CHARSET)
    set(${out} ${ARGN} PARENT_SCOPE)
    return()
  endif()
  set(result)
  foreach(src ${ARGN})
    get_filename_component(abs ${src} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR} ${abs})
    set(copy ${QUILLON_CP1251_TREE}/${rel})
    get_filename_component(folder ${copy} DIRECTORY)
    add_custom_command(OUTPUT ${copy}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
      COMMAND ${QUILLON_ICONV} -f UTF-8 -t CP1251//TRANSLIT -o ${copy} ${abs}
      DEPENDS ${abs} quillon_cp1251_headers
      VERBATIM)
    list(APPEND result ${copy})
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# The include folder of the core headers for this compiler.
if(QUILLON_HAS_EXEC_CHARSET)
  set(QUILLON_CORE_INCLUDE ${PROJECT_SOURCE_DIR}/src)
else()
  set(QUILLON_CORE_INCLUDE ${QUILLON_CP1251_TREE}/src)
endif()
