# Colliding names, damaged number fields and names that are not UTF-8.
include(${CMAKE_CURRENT_LIST_DIR}/../util/script_checks.cmake)

macro(run expected_status)
  run_checked(${expected_status} ${CLI} ${ARGN})
endmacro()

set(dir ${OUT}/file_rules)
file(REMOVE_RECURSE ${dir})
file(MAKE_DIRECTORY ${dir})
file(READ ${EXAMPLES}/profile/P01.PLT p01)
file(READ ${EXAMPLES}/profile/P02.PLT p02)

# Two names that differ only after their 9th character would collide.
string(REPLACE "DATAID=\"P01\"" "DATAID=\"STATION_0001\"" long1 "${p01}")
string(REPLACE "DATAID=\"P02\"" "DATAID=\"STATION_0002\"" long2 "${p02}")
file(WRITE ${dir}/S1.PLT "${long1}")
file(WRITE ${dir}/S2.PLT "${long2}")
run(1 invert ${dir}/S1.PLT ${dir}/S2.PLT --mode xy --layers 100:1,10
  --method classic --iterations 1 --int ${dir}/same.int)
expect_match("${err}" "CAN'T SAVE MODEL: Two blocks would be written under the name 'XY STATION_0'")
if(EXISTS ${dir}/same.int)
  message(FATAL_ERROR "blocks under one name were written")
endif()
# XY and YX of one station keep their own names.
run(0 invert ${dir}/S1.PLT --mode xy,yx --layers 100:1,10 --method classic
  --iterations 1 --int ${dir}/both.int)
run(0 int list ${dir}/both.int)
expect_match("${out}" "1\\. XY STATION_0 .*2\\. YX STATION_0 ")

# A value blanked out in a data block refuses the file, naming the place.
string(REPEAT "[^\n]" 12 field)
string(REPEAT " " 12 blank)
string(REGEX REPLACE "(>ZXYR[^\n]*\n[^\n]*\n)${field}" "\\1${blank}" blanked "${p01}")
if(blanked STREQUAL p01)
  message(FATAL_ERROR "the test did not blank a value")
endif()
file(WRITE ${dir}/blanked.PLT "${blanked}")
run(1 read ${dir}/blanked.PLT)
expect_match("${err}" "^Invalid MT-file: ${dir}/blanked.PLT, line [0-9]+, columns 1-5 \\(block '>ZXYR'\\): a blank field where a number must stand")

# A garbled TRF value: the block is left out and the file says where.
file(READ ${EXAMPLES}/15125A.trf trf)
string(REGEX MATCH "Res \\(Ohm-m\\)  +[0-9]+\\.[0-9]" first "${trf}")
string(FIND "${trf}" "${first}" at)
string(LENGTH "${first}" n)
math(EXPR after "${at} + ${n} + 1")
string(SUBSTRING "${trf}" 0 ${at} before)
string(SUBSTRING "${trf}" ${after} -1 rest)
set(garbled "${before}${first}x${rest}")
file(WRITE ${dir}/garbled.trf "${garbled}")
run(0 trf list ${dir}/garbled.trf)
expect_match("${err}" "BLOCKS LEFT OUT: 1 of the 2 blocks of ${dir}/garbled.trf is left out:\nline [0-9]+: resistivities: value 1: columns 14-23 \\('[^']*'\\) hold no single number")

# A name in Latin-1 is listed as text and as JSON with U+FFFD.
string(ASCII 233 e_acute)
string(ASCII 239 191 189 replacement)
file(WRITE ${dir}/latin1.int ">INVERS: STATI${e_acute}N-L     /         0.0/         0.0/   0.0/ 1/\n   100.00    100.00\n")
run(0 int list ${dir}/latin1.int)
expect_match("${out}" "^1\\. STATI${replacement}N-L  LAT")
run(0 int stations ${dir}/latin1.int)
expect_match("${out}" "STATI${replacement}N-L")
run(0 int list ${dir}/latin1.int --json)
expect_match("${out}" "\"name\": \"STATI${replacement}N-L")
