# mtvuk-cli bayes --png: a picture per sounding; bad folders refused first.
include(${CMAKE_CURRENT_LIST_DIR}/../util/script_checks.cmake)

macro(run expected_status)
  run_checked(${expected_status} ${CMAKE_COMMAND} -E env --unset=DISPLAY
              --unset=WAYLAND_DISPLAY XDG_RUNTIME_DIR=${RUNTIME}
              MTVUK_GUI=${APP} ${CLI} ${ARGN})
endmacro()

set(dir ${OUT}/bayes_png)
file(REMOVE_RECURSE ${dir})
file(MAKE_DIRECTORY ${dir})
set(small --iterations 600 --chains 2 --hot-chains 1 --seed 5 --depth-cells 30)

run(0 bayes ${REAL}/ET001.edi ${REAL}/ET010.edi --mode xy,yx ${small} --png ${dir})
expect_match("${out}" "most probable")
file(GLOB written RELATIVE ${dir} ${dir}/*)
if(NOT written STREQUAL "000000_ET001_xy.png;000001_ET001_yx.png;000002_ET010_xy.png;000003_ET010_yx.png")
  message(FATAL_ERROR "pictures written: ${written}")
endif()
foreach(name ${written})
  file(READ ${dir}/${name} head LIMIT 24 HEX)
  if(NOT head MATCHES "^89504e470d0a1a0a0000000d4948445200000640000003e8$")
    message(FATAL_ERROR "${name} is not a 1600 x 1000 PNG: ${head}")
  endif()
endforeach()

# Refusals: nothing sampled, nothing written.
run(1 bayes ${REAL}/ET001.edi --mode xy ${small} --png ${dir}/missing)
expect_match("${err}" "picture folder '.*/missing' does not exist")
run(1 bayes ${REAL}/ET001.edi --mode xy ${small} --png ${dir}/000000_ET001_xy.png)
expect_match("${err}" "is not a folder")
run_checked(1 ${CMAKE_COMMAND} -E env MTVUK_GUI=${dir}/none ${CLI} bayes
            ${REAL}/ET001.edi --mode yx ${small} --png ${dir})
expect_match("${err}" "workstation binary mtvuk, which was not found")
foreach(text "${out}" "${err}")
  if(text MATCHES "samples in")
    message(FATAL_ERROR "a refused run sampled:\n${text}")
  endif()
endforeach()
file(GLOB written ${dir}/*)
list(LENGTH written n)
if(NOT n EQUAL 4)
  message(FATAL_ERROR "refused runs left files: ${written}")
endif()
