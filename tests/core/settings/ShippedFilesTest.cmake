# The preset files beside the program: a build and an install put them there
# when they are missing and leave a file the user put there alone.
set(files ZEL4_req.ini ZEL4_vas.ini)
file(REMOVE_RECURSE "${WORK_DIR}")
set(own "${WORK_DIR}/own.ini")
file(WRITE "${own}" "[Mine]\nBitRate=8000\n")

function(expect_file path expected)
  file(SHA256 "${path}" got)
  file(SHA256 "${expected}" wanted)
  if(NOT got STREQUAL wanted)
    message(FATAL_ERROR "${path} is not a copy of ${expected}")
  endif()
endfunction()

set(prefix "${WORK_DIR}/prefix")
foreach(round fresh again)
  execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${prefix}" --component shipped_presets
                  COMMAND_ERROR_IS_FATAL ANY OUTPUT_QUIET)
  foreach(name IN LISTS files)
    expect_file("${prefix}/bin/${name}" "${SOURCE_DIR}/app/${name}")
  endforeach()
endforeach()

# The user's own files, in the install and in the build's program folder.
foreach(name IN LISTS files)
  file(COPY_FILE "${own}" "${prefix}/bin/${name}")
endforeach()
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${prefix}" --component shipped_presets
                COMMAND_ERROR_IS_FATAL ANY OUTPUT_QUIET)
set(bin "${WORK_DIR}/bin")
foreach(name IN LISTS files)
  expect_file("${prefix}/bin/${name}" "${own}")
  file(MAKE_DIRECTORY "${bin}")
  file(COPY_FILE "${own}" "${bin}/${name}")
  execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE=${SOURCE_DIR}/app/${name} -DTARGET=${bin}/${name}
                  -P "${SOURCE_DIR}/cmake/CopyIfMissing.cmake" COMMAND_ERROR_IS_FATAL ANY)
  expect_file("${bin}/${name}" "${own}")
endforeach()
file(REMOVE_RECURSE "${WORK_DIR}")
