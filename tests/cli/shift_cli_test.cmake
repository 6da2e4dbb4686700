# mtvuk-cli --shift and the shift command's two forms.
include(${CMAKE_CURRENT_LIST_DIR}/../util/script_checks.cmake)

macro(run expected_status)
  run_checked(${expected_status} ${CLI} ${ARGN})
endmacro()

set(E ${EXAMPLES}/15125A_imp.plt)
set(FIT --mode xy --layers 20:0.1,20:0.5,100:2,300:10,100 --iterations 5
        --method classic --json)

# Factor 1 leaves every number of the fit as it is.
run(0 invert ${E} ${FIT})
string(REGEX REPLACE "\"seconds\": [0-9.e+-]+" "" plain "${out}")
string(JSON plain_layered GET "${out}" dplus layered_chi2)
expect_match("${out}" "\"static_shift\": 1.0,")
run(0 invert ${E} ${FIT} --shift 1)
string(REGEX REPLACE "\"seconds\": [0-9.e+-]+" "" same "${out}")
if(NOT plain STREQUAL same)
  message(FATAL_ERROR "--shift 1 changed the fit:\n${plain}\n${same}")
endif()

# A factor of 3 is recorded and the fit sees it.
run(0 invert ${E} ${FIT} --shift 3)
expect_match("${out}" "\"static_shift\": 3.0,")
string(JSON shifted_layered GET "${out}" dplus layered_chi2)
if(shifted_layered STREQUAL plain_layered)
  message(FATAL_ERROR "the fit did not see the shift (${shifted_layered})")
endif()
run(0 invert ${E} --mode xy --layers 20:0.1,100 --iterations 2 --shift 3)
expect_match("${out}" "# rho_a carries a static shift of 3\n")
run(2 invert ${E} ${FIT} --shift 0)
run(2 invert ${E} ${FIT} --shift -2)

# The smoothed curve carries the factor (by how much: the core's tests).
run(0 smooth ${E} --mode xy --json)
string(JSON rho0 GET "${out}" points 0 log_rho)
run(0 smooth ${E} --mode xy --json --shift 3)
expect_match("${out}" "\"static_shift\": 3.0,")
string(JSON rho3 GET "${out}" points 0 log_rho)
if(rho3 STREQUAL rho0)
  message(FATAL_ERROR "the smoothed curve did not see the shift (${rho3})")
endif()
run(0 depth ${E} --mode yx --json --shift 0.5)
expect_match("${out}" "\"static_shift\": 0.5,")
run(0 occam ${E} --mode yx --json --shift 2)
expect_match("${out}" "\"static_shift\": 2.0,")

# XY against YX (the factors themselves are checked with the core).
run(0 shift ${E} --onto yx --json)
string(JSON onto_yx GET "${out}" shift_yx)
if(NOT onto_yx STREQUAL "1.0")
  message(FATAL_ERROR "onto YX moved YX (${onto_yx})")
endif()
run(0 shift ${E})
expect_match("${out}" "XY/YX ratio 1.037 at the 5 shortest common periods")
expect_match("${out}" "shift xy 0.9818[0-9]*  shift yx 1.0185")
run(2 shift ${E} --onto zz)

# Along a profile of five stations, the third's curves times 3 (rho x 3,
# depths x sqrt 3): its factor is about 1/3.
set(DIR ${OUT}/shift_profile)
file(REMOVE_RECURSE ${DIR})
file(MAKE_DIRECTORY ${DIR})
set(models
    "200:0.2,5:0.5,2000:14.3,30"
    "200:0.2,5:1.0,2000:13.8,30"
    "600:0.34641,15:2.59808,6000:23.03628,90"
    "200:0.2,5:2.0,2000:12.8,30"
    "200:0.2,5:1.2,2000:13.6,30")
set(files)
set(i 0)
foreach(model IN LISTS models)
  math(EXPR i "${i} + 1")
  run(0 export --layers ${model} --noise 2 --seed ${i} --name P${i}
      --lat -22.5 --long 135.0${i} --elev 300 --out ${DIR}/P${i}.PLT)
  list(APPEND files ${DIR}/P${i}.PLT)
endforeach()
run(0 shift --profile ${files} --mode xy --json)
string(JSON factor GET "${out}" stations 2 static_shift)
if(NOT factor MATCHES "^0\\.3[0-6]")
  message(FATAL_ERROR "the shifted station's factor is ${factor}, not near 1/3")
endif()
run(0 shift --profile ${files} --mode yx --periods 3)
expect_match("${out}" "# static shift along the profile: yx rho_a at the 3 shortest periods of 5 stations")
expect_match("${out}" "YX P3 +[0-9.]+ +0\\.3[0-9]+  [^\n]*P3\\.PLT")
# Refusals.
list(GET files 0 1 two)
run(2 shift --profile ${two} --mode xy)
expect_match("${err}" "--profile needs the files of at least 3 stations")
run(2 shift --profile ${files})
run(2 shift --profile ${files} --mode xy --onto yx)
run(2 shift ${files})
run(2 shift ${E} --mode xy)
run(1 shift --profile ${files} ${DIR}/none.PLT --mode xy)
