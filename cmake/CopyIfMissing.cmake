# cmake -DSOURCE=file -DTARGET=file -P CopyIfMissing.cmake: copies SOURCE to
# TARGET unless TARGET exists; a file the user put there is never replaced.
if(NOT EXISTS "${TARGET}")
  get_filename_component(folder "${TARGET}" DIRECTORY)
  file(MAKE_DIRECTORY "${folder}")
  file(COPY_FILE "${SOURCE}" "${TARGET}")
endif()
