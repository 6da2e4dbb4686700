# Every writer under a disk that fills (prlimit): the file stays as it was.
include(${CMAKE_CURRENT_LIST_DIR}/../util/script_checks.cmake)

set(dir ${OUT}/full_disk)
file(REMOVE_RECURSE ${dir})
file(MAKE_DIRECTORY ${dir})
set(P ${EXAMPLES}/profile)
set(fit --mode xy --layers 100:1,10 --method classic --iterations 1)

# Runs the tool under a file-size limit; it must end with status 1.
function(run_limited bytes)
  run_checked(1 prlimit --fsize=${bytes} ${CLI} ${ARGN})
  set(err "${err}" PARENT_SCOPE)
endfunction()

function(expect_unchanged path hash_before what)
  file(SHA256 ${path} hash_after)
  if(NOT hash_after STREQUAL hash_before)
    file(READ ${path} text)
    message(FATAL_ERROR "${what}: ${path} changed under a full disk:\n${text}")
  endif()
endfunction()

# The sizes of one block and of three, written without a limit.
run_checked(0 ${CLI} invert ${P}/P01.PLT ${fit} --int ${dir}/one.int)
run_checked(0 ${CLI} invert ${P}/P01.PLT ${P}/P02.PLT ${P}/P03.PLT ${fit}
  --int ${dir}/three.int)
file(SIZE ${dir}/one.int one)
file(SIZE ${dir}/three.int three)
math(EXPR two "2 * ${one}")
if(three LESS two)
  message(FATAL_ERROR "three blocks take ${three} bytes, one ${one}")
endif()

# INT: a limit with room for the first of three blocks only.
string(REPEAT "an earlier block\n" 20 old_text)
file(WRITE ${dir}/old.int "${old_text}")
file(SIZE ${dir}/old.int old)
math(EXPR limit "${old} + ${one} * 3 / 2")
file(SHA256 ${dir}/old.int hash)
run_limited(${limit} invert ${P}/P01.PLT ${P}/P02.PLT ${P}/P03.PLT ${fit}
  --int ${dir}/old.int)
expect_unchanged(${dir}/old.int ${hash} "invert --int")
expect_match("${err}" "CAN'T WRITE INT-FILE: The disk is full\nNothing was added to ${dir}/old.int\\.")

# TRF: one block after an old one.
run_checked(0 ${CLI} depth ${P}/P01.PLT --mode xy --trf ${dir}/old.trf)
file(SIZE ${dir}/old.trf old)
file(SHA256 ${dir}/old.trf hash)
math(EXPR limit "${old} + 300")
run_limited(${limit} depth ${P}/P02.PLT --mode yx --trf ${dir}/old.trf)
expect_unchanged(${dir}/old.trf ${hash} "depth --trf")
expect_match("${err}" "The disk is full\nNothing was added to ${dir}/old.trf\\.")

# Exports: the old file stays, no part file, no new file.
foreach(format plt seg)
  set(target ${dir}/old_${format}.PLT)
  file(WRITE ${target} "${old_text}")
  file(SHA256 ${target} hash)
  run_limited(4000 export --layers 100:1,10:2,1000 --format ${format}
    --out ${target})
  expect_unchanged(${target} ${hash} "export --format ${format}")
  expect_match("${err}" "The disk is full\n${target} was left as it was\\.")
  run_limited(4000 export --layers 100:1,10:2,1000 --format ${format}
    --out ${dir}/new_${format}.PLT)
  expect_match("${err}" "The disk is full\n${dir}/new_${format}.PLT was not written\\.")
  if(EXISTS ${dir}/new_${format}.PLT)
    message(FATAL_ERROR "export ${format}: a file was created under a full disk")
  endif()
endforeach()
file(GLOB parts ${dir}/*.part*)
if(parts)
  message(FATAL_ERROR "part files left behind: ${parts}")
endif()
