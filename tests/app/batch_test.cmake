# The workstation in batch mode: messages to standard error, no display.
include(${CMAKE_CURRENT_LIST_DIR}/../util/script_checks.cmake)

macro(run expected_status)
  run_checked(${expected_status} ${CMAKE_COMMAND} -E env --unset=DISPLAY
              --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM
              XDG_RUNTIME_DIR=${RUNTIME} ${APP} ${ARGN})
endmacro()

run(0 --help)
expect_match("${out}" "--import <FILE>.*--screenshot <OUT.png>.*--export-graph <OUT>")
run(0 --version)
expect_match("${out}" "MT-VUK [0-9]+\\.[0-9]+")

set(PICTURE ${OUT}/batch.png)
file(REMOVE ${PICTURE})
run(1 --load ${OUT}/no_such_file.edi --screenshot ${PICTURE})
expect_match("${err}" "CAN'T OPEN FILE: The file could not be located")
if(EXISTS ${PICTURE})
  message(FATAL_ERROR "a refused file still made a picture")
endif()

# 120 frequencies without errors: two notices, each printed and answered.
set(EDI ">HEAD\n  DATAID=MANY\n>FREQ //120\n")
foreach(k RANGE 1 120)
  string(APPEND EDI " ${k}.5")
endforeach()
string(REPEAT " 0.1" 120 ZXX)
string(REPEAT " 10.0" 120 ZXY)
string(REPEAT " -10.0" 120 ZYX)
set(ZYY "${ZXX}")
foreach(block ZXXR ZXXI ZXYR ZXYI ZYXR ZYXI ZYYR ZYYI)
  string(SUBSTRING ${block} 0 3 values)
  string(APPEND EDI "\n>${block} //120\n${${values}}")
endforeach()
file(WRITE ${OUT}/many.edi "${EDI}\n>END\n")
run(0 --import ${OUT}/many.edi --modes xy --screenshot ${PICTURE})
expect_match("${err}" "TOO MANY FREQUENCIES: The file holds 120 frequencies;")
expect_match("${err}" "EDI IMPORT: The file has no error blocks")
if(NOT EXISTS ${PICTURE})
  message(FATAL_ERROR "no picture of the imported file")
endif()

# The curve graph as a picture file, without a window.
set(GRAPH ${OUT}/graph.svg)
file(REMOVE ${GRAPH})
run(0 --load ${REAL}/15125A_spe.edi --modes xy,yx --export-graph ${GRAPH} --quantity phs)
file(READ ${GRAPH} svg)
expect_match("${svg}" "^[^\n]*\n<svg.*Period, s.*Degree")
run(1 --load ${REAL}/15125A_spe.edi --export-graph ${OUT}/graph.emf)
expect_match("${err}" "graph.emf: the picture type is not known: use .svg, .pdf or .png")
run(1 --load ${REAL}/15125A_spe.edi --export-graph ${OUT}/graph.pdf --quantity rho)
expect_match("${err}" "unknown quantity 'rho' \\(res, phs, rez or imz\\)")
run(1 --load ${REAL}/15125A_spe.edi --export-graph ${OUT}/no/such/folder/graph.pdf)
expect_match("${err}" "Cannot write")

# --screenshots alone pictures the bundled example.
set(SHOTS ${OUT}/screenshots-example)
file(REMOVE_RECURSE ${SHOTS})
run(0 --screenshots ${SHOTS})
foreach(name main.png sounding-list.png edit-field-data.png smoothing.png
        fitting-result.png section-logging.png cli-section-tomography.svg
        delete-section.png)
  if(NOT EXISTS ${SHOTS}/${name})
    message(FATAL_ERROR "no ${name} from --screenshots alone")
  endif()
endforeach()
