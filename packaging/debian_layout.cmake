# Run by CPack on the staged files before they are packed: Debian wants manual pages and
# the changelog compressed with gzip -9n, and the licence as the package's copyright file.
file(GLOB_RECURSE staged "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
set(compressed ${staged})
list(FILTER compressed INCLUDE REGEX "/man/man1/[^/]+\\.1$|/doc/hushmaker/changelog$")
foreach(file IN LISTS compressed)
  execute_process(COMMAND gzip -9nf "${file}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()
list(FILTER staged INCLUDE REGEX "/doc/hushmaker/LICENSE$")
foreach(file IN LISTS staged)
  get_filename_component(folder "${file}" DIRECTORY)
  file(RENAME "${file}" "${folder}/copyright")
endforeach()
