# Run by cpack on its staging tree before packaging: Debian ships man pages compressed
# (gzip -9n: no name nor time stamp inside, so the package builds the same each time).
file(GLOB_RECURSE pages "${CPACK_TEMPORARY_DIRECTORY}/*/share/man/man*/*.[1-9]")
if(NOT pages)
  message(FATAL_ERROR "no man pages under ${CPACK_TEMPORARY_DIRECTORY}")
endif()
foreach(page IN LISTS pages)
  execute_process(COMMAND gzip -9nf "${page}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip ${page}: ${status}")
  endif()
endforeach()
