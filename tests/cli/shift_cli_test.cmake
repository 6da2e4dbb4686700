# mtvuk-cli and the static shift: a factor given on the command line reaches
# the fit, the smoothed curve and their JSON; factor 1 changes no number; the
# D+ bound of a curve does not move when the curve is shifted (a shifted 1-D
# curve is the response of a scaled 1-D model); XY against YX gives factors
# whose choices agree with each other.
include(${CMAKE_CURRENT_LIST_DIR}/../util/script_checks.cmake)

macro(run expected_status)
  run_checked(${expected_status} ${CLI} ${ARGN})
endmacro()

# A plain decimal number (no exponent) in millionths, as an integer.
function(to_micro value out_var)
  if(NOT value MATCHES "^([0-9]+)(\\.([0-9]*))?$")
    message(FATAL_ERROR "not a plain decimal number: ${value}")
  endif()
  set(whole ${CMAKE_MATCH_1})
  string(SUBSTRING "${CMAKE_MATCH_3}000000" 0 6 frac)
  math(EXPR micro "${whole} * 1000000 + 1${frac} - 1000000")
  set(${out_var} ${micro} PARENT_SCOPE)
endfunction()

# |a - b| <= per_mille / 1000 * b.
function(expect_near a b per_mille what)
  to_micro(${a} ua)
  to_micro(${b} ub)
  math(EXPR d "${ua} - ${ub}")
  if(d LESS 0)
    math(EXPR d "-(${d})")
  endif()
  math(EXPR tol "${ub} * ${per_mille} / 1000")
  if(d GREATER tol)
    message(FATAL_ERROR "${what}: ${a} against ${b}")
  endif()
endfunction()

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

# A factor of 3: recorded, and the fit sees it (the D+ bound that does not
# move with a shift is checked with the core).
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

# The smoothed curve carries the factor: log10 3 = 0.4771 above the curve.
run(0 smooth ${E} --mode xy --json)
string(JSON rho0 GET "${out}" points 0 log_rho)
run(0 smooth ${E} --mode xy --json --shift 3)
expect_match("${out}" "\"static_shift\": 3.0,")
string(JSON rho3 GET "${out}" points 0 log_rho)
to_micro(${rho0} m0)
to_micro(${rho3} m3)
math(EXPR step "${m3} - ${m0}")
expect_near(${step} 477121 1 "log10 rho_a step of the shift 3 (millionths)")
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

# Along a profile: five stations over a basin, the third one's curves
# shifted by 3 (every resistivity times 3 and every depth times sqrt 3 gives
# exactly the curve times 3). Its factor is about 1/3, the others about 1.
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
string(JSON label GET "${out}" stations 4 label)
string(JSON factor GET "${out}" stations 2 static_shift)
expect_near(${factor} 0.333333 100 "factor of the shifted station")
run(0 shift --profile ${files} --mode yx --periods 3)
expect_match("${out}" "# static shift along the profile: yx rho_a at the 3 shortest periods of 5 stations")
expect_match("${out}" "YX P3 +[0-9.]+ +0\\.3[0-9]+  [^\n]*P3\\.PLT")
# Refusals: fewer than three stations, no polarisation, options of the
# other method, a file that cannot be read.
list(GET files 0 1 two)
run(2 shift --profile ${two} --mode xy)
expect_match("${err}" "--profile needs the files of at least 3 stations")
run(2 shift --profile ${files})
run(2 shift --profile ${files} --mode xy --onto yx)
run(2 shift ${files})
run(2 shift ${E} --mode xy)
run(1 shift --profile ${files} ${DIR}/none.PLT --mode xy)
