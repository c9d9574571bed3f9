# Makes the release's copy of the plug-in: stripped, with the release date
# (SOURCE_DATE) as its PE time stamp, which strip writes, and as its file
# time, which the zip and the setup program carry. Run with cmake -P.
file(STRINGS "${SOURCE_DATE}" epoch LIMIT_COUNT 1)
set(ENV{SOURCE_DATE_EPOCH} "${epoch}")
execute_process(COMMAND "${STRIP}" -o "${OUTPUT}" "${INPUT}" RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "strip failed on ${INPUT}")
endif()
execute_process(COMMAND touch -d "@${epoch}" "${OUTPUT}" RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cannot set the time of ${OUTPUT}")
endif()
