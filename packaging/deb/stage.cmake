# Runs inside cpack after the install into the staging tree and before the
# .deb is made from it: turns the plain install into Debian's layout.
#   - the program goes to /usr/games, where Debian puts games (Policy 11.11),
#     stripped of the .comment and .note sections as well, as dh_strip does;
#   - the manual page is compressed, as Debian's man-db expects;
#   - copyright and changelog.gz go to /usr/share/doc/tavelond;
#   - every directory is 0755 whatever the umask of the one packaging.
# gzip -n leaves out name and time stamp, so the package is reproducible.
set(stage "${CPACK_TEMPORARY_DIRECTORY}")
set(root "${stage}${CPACK_PACKAGING_INSTALL_PREFIX}")
set(file_mode OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
if(NOT EXISTS "${root}/bin/tavelond")
  message(FATAL_ERROR "no ${root}/bin/tavelond in the staging tree")
endif()

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${ARGN}: ${status}")
  endif()
endfunction()

# gzip -9n SOURCE into DEST, mode 0644.
function(compress source dest)
  execute_process(COMMAND gzip -9nc "${source}" OUTPUT_FILE "${dest}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip ${source}: ${status}")
  endif()
  file(CHMOD "${dest}" PERMISSIONS ${file_mode})
endfunction()

file(MAKE_DIRECTORY "${root}/games")
file(RENAME "${root}/bin/tavelond" "${root}/games/tavelond")
file(GLOB left "${root}/bin/*")
if(left)
  message(FATAL_ERROR "more than the program in bin/: ${left}")
endif()
file(REMOVE_RECURSE "${root}/bin")
run("${CPACK_TAVELOND_STRIP}" --remove-section=.comment --remove-section=.note "${root}/games/tavelond")

set(page "${root}/share/man/man6/tavelond.6")
compress("${page}" "${page}.gz")
file(REMOVE "${page}")

set(doc "${root}/share/doc/tavelond")
file(MAKE_DIRECTORY "${doc}")
file(COPY_FILE "${CPACK_TAVELOND_DEB_DIR}/copyright" "${doc}/copyright")
file(CHMOD "${doc}/copyright" PERMISSIONS ${file_mode})
compress("${CPACK_TAVELOND_DEB_DIR}/changelog" "${doc}/changelog.gz")

file(GLOB_RECURSE dirs LIST_DIRECTORIES true "${stage}/*")
foreach(dir IN LISTS dirs)
  if(IS_DIRECTORY "${dir}")
    file(CHMOD "${dir}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
         WORLD_READ WORLD_EXECUTE)
  endif()
endforeach()
