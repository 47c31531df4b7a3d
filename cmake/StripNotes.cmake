# Run by cpack on its staging tree before packaging, after CPACK_STRIP_FILES stripped the
# programs: strip leaves the compilers' version strings (.comment) and the .note section,
# which Debian's own packages do not carry. Only ELF files are touched.
find_program(OBJCOPY NAMES objcopy REQUIRED)
file(GLOB_RECURSE files LIST_DIRECTORIES false "${CPACK_TEMPORARY_DIRECTORY}/*")
foreach(file IN LISTS files)
  if(IS_SYMLINK "${file}")
    continue()
  endif()
  file(READ "${file}" magic LIMIT 4 HEX)
  if(NOT magic STREQUAL "7f454c46")
    continue()
  endif()
  execute_process(COMMAND "${OBJCOPY}" --remove-section=.comment --remove-section=.note "${file}"
                  RESULT_VARIABLE status ERROR_VARIABLE error)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "objcopy ${file}: ${error}")
  endif()
endforeach()
