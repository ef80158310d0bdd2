# Native build of the platform-free byte logic: tests under AddressSanitizer
# and UBSan, and (with clang) fuzz targets.
option(VELKARO_FUZZ "Build the libFuzzer targets (needs clang)" OFF)

set(SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_library(portable STATIC ${PORTABLE_SOURCES})
target_include_directories(portable PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(portable PRIVATE -Wall -Wextra -Werror -g)

if(VELKARO_FUZZ)
  target_compile_options(portable PUBLIC -fsanitize=fuzzer-no-link,address,undefined -g)
  add_subdirectory(tests/fuzz)
else()
  target_compile_options(portable PUBLIC ${SANITIZE})
  target_link_options(portable PUBLIC ${SANITIZE})
  add_subdirectory(tests/native)
endif()
