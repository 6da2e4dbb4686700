# README.md's ```sh blocks that call mtvuk-cli run as written (status 0).
include(${CMAKE_CURRENT_LIST_DIR}/../util/script_checks.cmake)

set(root ${OUT}/readme_examples)
file(REMOVE_RECURSE ${root})
file(MAKE_DIRECTORY ${root}/project/build/apps/mtvuk-cli ${root}/shared/data)
file(CREATE_LINK ${CLI} ${root}/project/build/apps/mtvuk-cli/mtvuk-cli SYMBOLIC)
file(CREATE_LINK ${REAL} ${root}/shared/data/real SYMBOLIC)
file(COPY ${SOURCE}/examples DESTINATION ${root}/project)

file(READ ${SOURCE}/README.md readme)
# A block is "```sh", its lines, "```"; the commands hold no backquote.
string(REGEX MATCHALL "\n```sh\n[^`]*\n```" found "${readme}")
set(blocks)
foreach(match IN LISTS found)
  string(REGEX REPLACE "^\n```sh\n" "" block "${match}")
  string(REGEX REPLACE "\n```$" "\n" block "${block}")
  if(block MATCHES "mtvuk-cli")
    string(MD5 id "${block}")
    set(block_${id} "${block}")
    list(APPEND blocks ${id})
  endif()
endforeach()
list(LENGTH blocks count)
if(count LESS 3)
  message(FATAL_ERROR "README.md shows ${count} command-line examples; expected at least 3")
endif()

foreach(id IN LISTS blocks)
  execute_process(COMMAND bash -e -c "${block_${id}}"
    WORKING_DIRECTORY ${root}/project
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err
    TIMEOUT 600)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "README example ended with ${status}:\n${block_${id}}\n${out}\n${err}")
  endif()
  message(STATUS "README example ran:\n${block_${id}}")
endforeach()
