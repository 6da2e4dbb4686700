# The picture run leaves nothing in the temporary folder and writes the INT
# file its dialogs show beside the pictures.
set(dir ${OUT}/screenshot_run)
file(REMOVE_RECURSE ${dir})
file(MAKE_DIRECTORY ${dir}/pictures ${dir}/tmp)
execute_process(COMMAND ${CMAKE_COMMAND} -E env TMPDIR=${dir}/tmp
  QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=${RUNTIME}
  ${APP} --load ${EXAMPLES}/15125A_spe.edi --modes xy,yx --screenshots ${dir}/pictures
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 600)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "--screenshots: status ${status}\n${out}\n${err}")
endif()
file(GLOB left ${dir}/tmp/*)
if(left)
  message(FATAL_ERROR "left in the temporary folder: ${left}")
endif()
if(NOT EXISTS ${dir}/pictures/15125A-results.int OR NOT EXISTS ${dir}/pictures/file-content.png)
  message(FATAL_ERROR "the INT file or its picture is missing")
endif()
file(STRINGS ${dir}/pictures/15125A-results.int blocks REGEX "^>INVERS: ")
list(LENGTH blocks count)
if(count LESS 2)
  message(FATAL_ERROR "15125A-results.int holds ${count} blocks")
endif()
if(err MATCHES "mtvuk-screenshot")
  message(FATAL_ERROR "a temporary name was shown:\n${err}")
endif()
