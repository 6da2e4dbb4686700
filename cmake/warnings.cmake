# Common compile options for every target of the project.
add_library(mtvuk_options INTERFACE)
target_compile_options(mtvuk_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow)
if(MTVUK_WERROR)
  target_compile_options(mtvuk_options INTERFACE -Werror)
endif()
if(MTVUK_SANITIZE)
  target_compile_options(mtvuk_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(mtvuk_options INTERFACE -fsanitize=address,undefined)
endif()
if(MTVUK_BUILD_FUZZ)
  # Coverage of the whole library guides the fuzzers, not only their own file.
  target_compile_options(mtvuk_options INTERFACE -fsanitize=fuzzer-no-link)
endif()
target_compile_definitions(mtvuk_options INTERFACE MTVUK_VERSION="${PROJECT_VERSION}")
