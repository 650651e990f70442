# Script: copies every header under SOURCE/src into TREE/src converted to Windows-1251, where
# the copy is missing or older than its source.
file(GLOB_RECURSE headers RELATIVE ${SOURCE} ${SOURCE}/src/*.h)
foreach(rel ${headers})
  set(copy ${TREE}/${rel})
  if(NOT EXISTS ${copy} OR ${SOURCE}/${rel} IS_NEWER_THAN ${copy})
    get_filename_component(folder ${copy} DIRECTORY)
    file(MAKE_DIRECTORY ${folder})
    execute_process(COMMAND ${ICONV} -f UTF-8 -t CP1251//TRANSLIT -o ${copy} ${SOURCE}/${rel}
                    RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "cannot convert ${rel} to Windows-1251")
    endif()
  endif()
endforeach()
