# Read by cpack as it builds a package. The archive's timestamps come from
# SOURCE_DATE_EPOCH; where it is unset, it is the last commit's time, so
# that one commit always packs into the same bytes, whenever and wherever
# it is built. Outside a git checkout the build's own time stays.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND git log -1 --format=%ct
                  WORKING_DIRECTORY "${CPACK_KESTRION_SOURCE_DIR}"
                  OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE failed ERROR_QUIET)
  if(NOT failed AND commit_time MATCHES "^[0-9]+$")
    set(ENV{SOURCE_DATE_EPOCH} "${commit_time}")
  endif()
endif()
