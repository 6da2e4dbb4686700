# The workstation in batch mode: nothing waits for a person, messages go to
# standard error, refused files end it with status 1; help and version need
# no display.
function(run expected_status)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY
                          --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM
                          XDG_RUNTIME_DIR=${RUNTIME} ${APP} ${ARGN}
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err
    TIMEOUT 120)
  if(NOT status STREQUAL "${expected_status}")
    message(FATAL_ERROR "mtvuk ${ARGN}: status ${status}, expected ${expected_status}\n${out}\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

function(expect_match text pattern)
  if(NOT text MATCHES "${pattern}")
    message(FATAL_ERROR "expected '${pattern}' in:\n${text}")
  endif()
endfunction()

run(0 --help)
expect_match("${out}" "--screenshot <OUT.png>")
expect_match("${out}" "--import <FILE>")
run(0 --version)
expect_match("${out}" "MT-VUK [0-9]+\\.[0-9]+")

set(PICTURE ${OUT}/batch.png)
file(REMOVE ${PICTURE})
run(1 --load ${OUT}/no_such_file.edi --screenshot ${PICTURE})
expect_match("${err}" "CAN'T OPEN FILE: The file could not be located")
run(1 --load ${REAL}/pb23c.edi --screenshot ${PICTURE})
expect_match("${err}" "Invalid MT-file: Can't find RHOXY_ERR\n\nThe SEG EDI importer reads this file")
if(EXISTS ${PICTURE})
  message(FATAL_ERROR "a refused file still made a picture")
endif()

# 120 frequencies without errors: two notices, each printed and answered.
set(EDI ">HEAD\n  DATAID=MANY\n")
foreach(block FREQ ZXXR ZXXI ZXYR ZXYI ZYXR ZYXI ZYYR ZYYI)
  string(APPEND EDI ">${block} //120\n")
  foreach(k RANGE 1 120)
    if(block STREQUAL "FREQ")
      string(APPEND EDI " ${k}.5")
    elseif(block MATCHES "^ZXY")
      string(APPEND EDI " 10.0")
    elseif(block MATCHES "^ZYX")
      string(APPEND EDI " -10.0")
    else()
      string(APPEND EDI " 0.1")
    endif()
  endforeach()
  string(APPEND EDI "\n")
endforeach()
file(WRITE ${OUT}/many.edi "${EDI}>END\n")
run(0 --import ${OUT}/many.edi --modes xy --screenshot ${PICTURE})
expect_match("${err}" "TOO MANY FREQUENCIES: The file holds 120 frequencies;")
expect_match("${err}" "EDI IMPORT: The file has no error blocks")
if(NOT EXISTS ${PICTURE})
  message(FATAL_ERROR "no picture of the imported file")
endif()
