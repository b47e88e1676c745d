# Runs lumetra-catalog over one golden folder:
#   input.xml     the catalogue file read (may be missing: a missing file)
#   args          optional extra options, separated by spaces
#   expected.rc   optional exit code of list and rewrite (default 0)
#   expected.list optional expected standard output of "list"
#   expected.xml  optional expected file written by "rewrite"
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
set(input "${CASE_DIR}/input.xml")
set(args "")
if(EXISTS "${CASE_DIR}/args")
  file(STRINGS "${CASE_DIR}/args" args_line LIMIT_COUNT 1)
  separate_arguments(args UNIX_COMMAND "${args_line}")
endif()
set(expected_rc 0)
if(EXISTS "${CASE_DIR}/expected.rc")
  file(STRINGS "${CASE_DIR}/expected.rc" expected_rc LIMIT_COUNT 1)
endif()

execute_process(COMMAND "${TOOL}" list "${input}" ${args}
                OUTPUT_VARIABLE listing RESULT_VARIABLE rc)
if(NOT rc EQUAL expected_rc)
  message(FATAL_ERROR "list exited with ${rc}, expected ${expected_rc}")
endif()
if(EXISTS "${CASE_DIR}/expected.list")
  file(WRITE "${WORK_DIR}/actual.list" "${listing}")
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${WORK_DIR}/actual.list" "${CASE_DIR}/expected.list"
                  RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "listing differs:\n--- actual\n${listing}--- expected (${CASE_DIR}/expected.list)")
  endif()
endif()

execute_process(COMMAND "${TOOL}" rewrite "${input}" "${WORK_DIR}/rewritten.xml" ${args} RESULT_VARIABLE rc)
if(NOT rc EQUAL expected_rc)
  message(FATAL_ERROR "rewrite exited with ${rc}, expected ${expected_rc}")
endif()
if(EXISTS "${CASE_DIR}/expected.xml")
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${WORK_DIR}/rewritten.xml" "${CASE_DIR}/expected.xml"
                  RESULT_VARIABLE differs)
  if(differs)
    file(READ "${WORK_DIR}/rewritten.xml" written)
    message(FATAL_ERROR "rewritten file differs:\n--- actual\n${written}--- expected (${CASE_DIR}/expected.xml)")
  endif()
  # The rewritten file reads back to the same listing.
  execute_process(COMMAND "${TOOL}" list "${WORK_DIR}/rewritten.xml" ${args} OUTPUT_VARIABLE relisting)
  if(EXISTS "${CASE_DIR}/expected.list" AND NOT relisting STREQUAL listing)
    message(FATAL_ERROR "rewritten file lists differently:\n${relisting}")
  endif()
endif()
