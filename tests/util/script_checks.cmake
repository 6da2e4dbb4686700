# Checks shared by the end-to-end test scripts (cmake -P).

# Runs the command and fails unless it ends with expected_status; its
# standard output and error are left in out and err of the caller.
function(run_checked expected_status)
  execute_process(COMMAND ${ARGN}
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err
    TIMEOUT 120)
  if(NOT status STREQUAL "${expected_status}")
    message(FATAL_ERROR "${ARGN}: status ${status}, expected ${expected_status}\n${out}\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

function(expect_match text pattern)
  if(NOT text MATCHES "${pattern}")
    message(FATAL_ERROR "expected '${pattern}' in:\n${text}")
  endif()
endfunction()
