# Run by cpack on its staging tree before packaging: Debian ships man pages and changelogs
# compressed (gzip -9n: no name nor time stamp inside, so the package builds the same each
# time), in every language's folder of the man pages.
file(GLOB_RECURSE pages "${CPACK_TEMPORARY_DIRECTORY}/*/share/man/*.[1-9]")
if(NOT pages)
  message(FATAL_ERROR "no man pages under ${CPACK_TEMPORARY_DIRECTORY}")
endif()
file(GLOB_RECURSE changelogs "${CPACK_TEMPORARY_DIRECTORY}/*/share/doc/*/changelog")
if(NOT changelogs)
  message(FATAL_ERROR "no changelog under ${CPACK_TEMPORARY_DIRECTORY}")
endif()
foreach(file IN LISTS pages changelogs)
  execute_process(COMMAND gzip -9nf "${file}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip ${file}: ${status}")
  endif()
endforeach()
