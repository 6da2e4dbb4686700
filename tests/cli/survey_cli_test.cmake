# A survey split into parts and merged gives what one run gives: bayes and
# invert with --shard K/N and --out-dir, then merge; and the refusals.
include(${CMAKE_CURRENT_LIST_DIR}/../util/script_checks.cmake)

macro(run expected_status)
  run_checked(${expected_status} ${CLI} ${ARGN})
endmacro()

set(work ${CMAKE_CURRENT_BINARY_DIR}/survey_cli)
file(REMOVE_RECURSE ${work})
set(inputs ${REAL}/ET001.edi ${REAL}/ET010.edi ${EXAMPLES}/15125A_spe.edi)
set(small --iterations 600 --chains 2 --hot-chains 1 --seed 5 --depth-cells 30)

# bayes: one run, and the same survey as two parts (3 files x 2 modes = 6
# soundings, parts of 3), the second part on another number of threads.
run(0 bayes ${inputs} --mode xy,yx ${small} --out-dir ${work}/one --threads 1)
run(0 bayes ${inputs} --mode xy,yx ${small} --out-dir ${work}/parts --shard 2/2 --threads 2)
file(GLOB part_files ${work}/parts/*.json)
list(LENGTH part_files n)
if(NOT n EQUAL 3)
  message(FATAL_ERROR "part 2 of 2 wrote ${n} files, expected 3")
endif()
# Half a survey is refused, and nothing is written.
run(1 merge ${work}/parts --int ${work}/half.int)
expect_match("${err}" "result 1 of 6 is missing")
if(EXISTS ${work}/half.int)
  message(FATAL_ERROR "a refused merge wrote its INT file")
endif()
# Part 1 on another machine: its own folder, copied beside part 2.
run(0 bayes ${inputs} --mode xy,yx ${small} --out-dir ${work}/part1 --shard 1/2 --threads 1)
file(GLOB part_files ${work}/part1/*.json)
list(LENGTH part_files n)
if(NOT n EQUAL 3)
  message(FATAL_ERROR "part 1 of 2 wrote ${n} files, expected 3")
endif()
file(COPY ${part_files} DESTINATION ${work}/parts)
run(0 merge ${work}/one --int ${work}/one.int --json)
set(one_json "${out}")
run(0 merge ${work}/parts --int ${work}/parts.int --json)
if(NOT out STREQUAL one_json)
  message(FATAL_ERROR "two merged parts differ from one run")
endif()
file(READ ${work}/one.int one_int)
file(READ ${work}/parts.int parts_int)
if(NOT one_int STREQUAL parts_int)
  message(FATAL_ERROR "the INT files of two parts and of one run differ")
endif()
# Input order: ET001 xy, ET001 yx, ET010 xy, ET010 yx, 15125A xy, 15125A yx.
string(REGEX MATCHALL "\"file\": \"[^\"]*/([A-Za-z0-9_]+)\\.edi\",\n +\"mode\": \"(xy|yx)\"" pairs "${one_json}")
string(REGEX REPLACE "\"file\": \"[^\"]*/([A-Za-z0-9_]+)\\.edi\",\n +\"mode\": \"(xy|yx)\"" "\\1 \\2" order "${pairs}")
if(NOT order STREQUAL "ET001 xy;ET001 yx;ET010 xy;ET010 yx;15125A_spe xy;15125A_spe yx")
  message(FATAL_ERROR "merge order: ${order}")
endif()
expect_match("${one_json}" "\"p95\": \\[")
expect_match("${one_json}" "\"layer_histogram\": \\[")

# invert: parts of 2 and 1 soundings merge to the one run's INT file.
run(0 invert ${inputs} --mode xy --layers 100:1,10:5,100 --out-dir ${work}/inv_one)
run(0 invert ${inputs} --mode xy --layers 100:1,10:5,100 --out-dir ${work}/inv_parts --shard 1/2)
run(0 invert ${inputs} --mode xy --layers 100:1,10:5,100 --out-dir ${work}/inv_parts --shard 2/2)
run(0 merge ${work}/inv_one --int ${work}/inv_one.int)
run(0 merge ${work}/inv_parts --int ${work}/inv_parts.int)
file(READ ${work}/inv_one.int a)
file(READ ${work}/inv_parts.int b)
if(NOT a STREQUAL b OR a STREQUAL "")
  message(FATAL_ERROR "invert: two merged parts differ from one run")
endif()

# Refusals.
run(2 bayes ${REAL}/ET001.edi --mode xy --shard 3/2)
expect_match("${err}" "--shard '3/2' is not K/N")
run(2 invert ${REAL}/ET001.edi --mode xy --layers 10,1 --shard x)
run(2 bayes ${REAL}/ET001.edi --mode xy --iterations 100 --burn-in 100)
expect_match("${err}" "must leave samples")
run(1 merge ${work}/nonexistent)
# Results of another run in the folder.
run(0 bayes ${REAL}/ET001.edi --mode xy ${small} --out-dir ${work}/one)
run(1 merge ${work}/one)
expect_match("${err}" "belongs to another run|is missing")
