# mtvuk-cli section: pictures of the size and type asked for; refusals.
include(${CMAKE_CURRENT_LIST_DIR}/../util/script_checks.cmake)

macro(run expected_status)
  run_checked(${expected_status} ${CMAKE_COMMAND} -E env --unset=DISPLAY
              --unset=WAYLAND_DISPLAY XDG_RUNTIME_DIR=${RUNTIME} ${CLI} ${ARGN})
endmacro()

# A PNG of width and height size_hex (four bytes each, hexadecimal).
function(expect_png path size_hex)
  file(READ ${path} head LIMIT 24 HEX)
  if(NOT head MATCHES "^89504e470d0a1a0a0000000d49484452${size_hex}$")
    message(FATAL_ERROR "${path} is not a PNG of ${size_hex}: ${head}")
  endif()
endfunction()

set(INT ${EXAMPLES}/profile/profile.int)
set(DIR ${OUT}/section_cli)
file(REMOVE_RECURSE ${DIR})
file(MAKE_DIRECTORY ${DIR})

run(0 section ${INT} --tomography --out ${DIR}/t.png --size 1200x700)
expect_png(${DIR}/t.png 000004b0000002bc)  # 1200 x 700
run(0 section ${INT} --out ${DIR}/l.png)
expect_png(${DIR}/l.png 0000064000000384)  # the default 1600 x 900
run(0 section ${INT} --logging --log-depth --palette 3 --depth-max 30
    --profile 500000,7511830,530000,7511800 --out ${DIR}/l.svg --size 900x500)
file(READ ${DIR}/l.svg svg LIMIT 2000)
expect_match("${svg}" "<svg[^>]* width=\"[0-9.]+(mm|px)?\" height=\"[0-9.]+(mm|px)?\"")
run(0 section ${EXAMPLES}/15125A.trf --tomography --out ${DIR}/c.PDF)
file(READ ${DIR}/c.PDF pdf LIMIT 5)
expect_match("${pdf}" "^%PDF-")

# The perceptually uniform palettes and the older fillings of the image.
run(0 section ${INT} --tomography --palette 4 --interpolation level
    --size 400x300 --out ${DIR}/v.png)
run(0 section ${INT} --tomography --palette 5 --interpolation nearest
    --size 400x300 --out ${DIR}/cw.png)
file(SHA256 ${DIR}/v.png v_hash)
file(SHA256 ${DIR}/cw.png cw_hash)
if(v_hash STREQUAL cw_hash)
  message(FATAL_ERROR "palettes 4 and 5 drew the same picture")
endif()

# One polarisation per section: three stations with XY and YX each.
set(PAIRS ${DIR}/pairs.int)
file(WRITE ${PAIRS} "")
foreach(i 0 1 2)
  math(EXPR east "500000 + 2000 * ${i}")
  math(EXPR t "20 + 30 * ${i}")
  file(APPEND ${PAIRS}
       ">INVERS: XY S${i}          /   7500000.0/    ${east}.0/ 100.0/ 2/\n"
       "    10.00      0.${t}\n  1000.00    100.00\n"
       ">INVERS: YX S${i}          /   7500000.0/    ${east}.0/ 100.0/ 2/\n"
       "   300.00      0.${t}\n     3.00    100.00\n")
endforeach()
foreach(p both xy yx)
  run(0 section ${PAIRS} --tomography --polarisation ${p} --size 400x300
      --out ${DIR}/pol_${p}.png)
  file(SHA256 ${DIR}/pol_${p}.png pol_${p})
endforeach()
if(pol_xy STREQUAL pol_yx OR pol_xy STREQUAL pol_both)
  message(FATAL_ERROR "the sections of XY, YX and both are not all different")
endif()
run(1 section ${INT} --polarisation yx --out ${DIR}/bad.png)
expect_match("${err}" "no YX sounding to draw")
run(2 section ${PAIRS} --polarisation zz --out ${DIR}/bad.png)
expect_match("${err}" "--polarisation 'zz': give both, xy or yx")

# A picture prints nothing, even without XDG_RUNTIME_DIR.
execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY
                        --unset=WAYLAND_DISPLAY --unset=XDG_RUNTIME_DIR
                        ${CLI} section ${INT} --tomography --size 400x300
                        --out ${DIR}/quiet.png
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR NOT err STREQUAL "" OR NOT out STREQUAL "")
  message(FATAL_ERROR "a section picture printed: ${out}${err}")
endif()

# Refusals: the reason, no picture.
set(BAD ${DIR}/bad.png)
run(2 section ${INT} --palette 6 --out ${BAD})
expect_match("${err}" "--palette '6': give 0, 1, 2, 3, 4 or 5")
run(2 section ${INT} --interpolation smooth --out ${BAD})
expect_match("${err}" "give layers, level or nearest")
run(2 section ${INT} --size 1200 --out ${BAD})
expect_match("${err}" "--size '1200': give WIDTHxHEIGHT")
run(2 section ${INT} --profile 1,2,1,2 --out ${BAD})
expect_match("${err}" "the two ends are the same point")
run(2 section ${INT} --profile 1,2,3 --out ${BAD})
expect_match("${err}" "give auto or X0,Y0,X1,Y1")
run(2 section ${INT} --out ${DIR}/bad.bmp)
expect_match("${err}" "must be .png, .pdf or .svg")
run(2 section ${INT})
expect_match("${err}" "--out OUT.png")
run(1 section ${EXAMPLES}/README.md --out ${BAD})
expect_match("${err}" "INVALID INT or TRF-FILE: Can't find INT or TRF-structures")
run(1 section ${DIR}/missing.int --out ${BAD})
expect_match("${err}" "CAN'T OPEN FILE")
run(1 section ${INT} --out ${DIR}/no/such/dir/bad.png)
expect_match("${err}" "Cannot write")
if(EXISTS ${BAD} OR EXISTS ${DIR}/bad.bmp)
  message(FATAL_ERROR "a refused section still wrote a picture")
endif()

# Without the workstation the tool says where it looked.
execute_process(COMMAND ${CMAKE_COMMAND} -E env MTVUK_GUI=${DIR}/no-mtvuk
                        ${CLI} section ${INT} --out ${BAD}
  RESULT_VARIABLE status ERROR_VARIABLE err)
if(NOT status EQUAL 1)
  message(FATAL_ERROR "a missing workstation gave status ${status}")
endif()
expect_match("${err}" "workstation binary mtvuk, which was not found \\(set MTVUK_GUI")
