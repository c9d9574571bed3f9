# Puts the release into DIST: the zip for installing by hand, the setup
# program, and SHA256SUMS over both. The zip is made byte for byte the same
# from the same inputs: entries in a fixed order, each file's mode and time
# set (the time to the release date, SOURCE_DATE), times in UTC, and no
# owner or extra time fields. Run with cmake -P.
#   STAGE        a scratch folder for the zip's files
#   ZIP_FILES    the files the zip holds, in their order (a ;-list)
#   ZIP_NAME     the zip's file name
#   SETUP        the setup program
find_program(ZIP_PROGRAM zip)
if(NOT ZIP_PROGRAM)
  message(FATAL_ERROR "zip is needed to make the release (Debian: apt-get install zip)")
endif()
file(STRINGS "${SOURCE_DATE}" epoch LIMIT_COUNT 1)

file(REMOVE_RECURSE "${STAGE}")
file(MAKE_DIRECTORY "${STAGE}")
set(names)
foreach(file IN LISTS ZIP_FILES)
  get_filename_component(name "${file}" NAME)
  file(COPY "${file}" DESTINATION "${STAGE}"
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  execute_process(COMMAND touch -d "@${epoch}" "${STAGE}/${name}" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cannot set the time of ${STAGE}/${name}")
  endif()
  list(APPEND names "${name}")
endforeach()

# Earlier releases' files go, so that SHA256SUMS covers all there is.
file(GLOB old "${DIST}/vis_halder-*" "${DIST}/SHA256SUMS")
if(old)
  file(REMOVE ${old})
endif()
file(MAKE_DIRECTORY "${DIST}")

# zip writes each entry's time in local time: UTC makes it the same anywhere.
set(ENV{TZ} UTC)
execute_process(COMMAND "${ZIP_PROGRAM}" -q -X -D -9 "${DIST}/${ZIP_NAME}" ${names}
  WORKING_DIRECTORY "${STAGE}" RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "zip failed")
endif()
get_filename_component(setup_name "${SETUP}" NAME)
file(COPY "${SETUP}" DESTINATION "${DIST}")

set(sums "")
foreach(name IN ITEMS "${setup_name}" "${ZIP_NAME}")
  file(SHA256 "${DIST}/${name}" hash)
  string(APPEND sums "${hash}  ${name}\n")
endforeach()
file(WRITE "${DIST}/SHA256SUMS" "${sums}")
