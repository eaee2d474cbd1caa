# check_deterministic.cmake: runs the asset generator twice into fresh folders and fails unless both
# runs wrote the same files with the same bytes, and the staged copy (when there) matches them too.
# Variables: generator (path of asset_gen), work (scratch folder), staged (the game folder).
file(REMOVE_RECURSE ${work})
foreach(run first second)
  execute_process(COMMAND ${generator} ${work}/${run} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "asset_gen failed (${status}) writing ${work}/${run}")
  endif()
  file(GLOB_RECURSE files_${run} RELATIVE ${work}/${run} ${work}/${run}/*)
  list(SORT files_${run})
endforeach()

list(LENGTH files_first count)
if(count EQUAL 0)
  message(FATAL_ERROR "asset_gen wrote no files")
endif()
if(NOT files_first STREQUAL files_second)
  message(FATAL_ERROR "the two runs wrote different file sets:\n${files_first}\n${files_second}")
endif()

foreach(name IN LISTS files_first)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${work}/first/${name} ${work}/second/${name}
                  RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "${name} differs between two runs of asset_gen")
  endif()
  if(EXISTS ${staged}/${name})
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${work}/first/${name} ${staged}/${name}
                    RESULT_VARIABLE stale)
    if(stale)
      message(FATAL_ERROR "staged ${name} is not what asset_gen writes now; rebuild target assets")
    endif()
  endif()
endforeach()
message(STATUS "asset_gen wrote ${count} files, byte-identical on both runs")
