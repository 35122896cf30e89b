# cmake -DMANIFEST=FILE -P Uninstall.cmake: removes every file that the last
# `make install` wrote (its list of files) and the documentation folder once
# it is empty. Where that install refreshed the desktop's caches, they are
# refreshed again so that they forget what was removed, or removed when they
# would list nothing.
if(NOT EXISTS "${MANIFEST}")
  message(FATAL_ERROR "uninstall: nothing has been installed from this build (no ${MANIFEST})")
endif()

# A cache that lists nothing is removed rather than rebuilt: an empty MIME
# database ahead of the system's one stalls programs that ask it for types.
function(refresh tool folder cache sources)
  if(NOT EXISTS "${folder}/${cache}")
    return()
  endif()
  file(GLOB left "${folder}/${sources}")
  find_program(tool_path ${tool} NO_CACHE)
  if(NOT left)
    file(REMOVE "${folder}/${cache}")
  elseif(tool_path)
    execute_process(COMMAND "${tool_path}" "${folder}")
  endif()
endfunction()

file(STRINGS "${MANIFEST}" files)
foreach(file IN LISTS files)
  if(EXISTS "${file}" OR IS_SYMLINK "${file}")
    file(REMOVE "${file}")
    message(STATUS "Removed ${file}")
  endif()
  get_filename_component(folder "${file}" DIRECTORY)
  if(folder MATCHES "/mime/packages$")
    get_filename_component(mime "${folder}" DIRECTORY)
    file(GLOB packages "${folder}/*")
    if(NOT packages AND EXISTS "${mime}/mime.cache")
      # Everything in it but the empty packages folder was generated from them.
      file(REMOVE_RECURSE "${mime}")
    else()
      refresh(update-mime-database "${mime}" mime.cache "packages/*")
    endif()
  elseif(folder MATCHES "/applications$")
    refresh(update-desktop-database "${folder}" mimeinfo.cache "*.desktop")
  elseif(folder MATCHES "/doc/mendrix$")
    file(GLOB left "${folder}/*")
    if(NOT left)
      file(REMOVE_RECURSE "${folder}")
    endif()
  endif()
endforeach()
file(REMOVE "${MANIFEST}")
