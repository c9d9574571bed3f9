# Writes the release's date, in seconds since 1970, into OUTPUT: the
# SOURCE_DATE_EPOCH of the environment when it is set, else the time of the
# last commit of SOURCE_DIR, so that one commit always gives the same bytes.
# The file is rewritten only when the date changes, so the release files are
# made again only then. Run with cmake -P.
if(NOT "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
  set(epoch "$ENV{SOURCE_DATE_EPOCH}")
else()
  execute_process(COMMAND git log -1 --format=%ct
    WORKING_DIRECTORY "${SOURCE_DIR}"
    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE failed ERROR_QUIET)
  if(failed OR NOT epoch MATCHES "^[0-9]+$")
    # Not a git checkout (a copied tree): the release is dated now, and only
    # SOURCE_DATE_EPOCH can make a second build agree with it.
    string(TIMESTAMP epoch "%s" UTC)
    message(STATUS "No commit to date the release by: dated now (set SOURCE_DATE_EPOCH to fix it)")
  endif()
endif()
if(NOT epoch MATCHES "^[0-9]+$")
  message(FATAL_ERROR "SOURCE_DATE_EPOCH must be seconds since 1970, not '${epoch}'")
endif()
file(CONFIGURE OUTPUT "${OUTPUT}" CONTENT "${epoch}\n")
