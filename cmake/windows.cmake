# The screen saver itself and the tests that run under Wine.
enable_language(RC)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

# msvcrt's own printf family: mingw's C99 replacement (with floating-point
# formatting) would otherwise be linked in for two snprintf calls, whose
# buffers are sized or terminated so that msvcrt's behaviour is enough.
# The same commit must give the same bytes from any folder at any time: no
# source or build path (__FILE__, debug info) and no link time in the header.
# Hardening as a release review reads it: stack canaries with our own guard
# (host/stack_guard.cpp), ASLR with the relocations it needs, DEP, and
# Terminal Server aware so that Windows applies no compatibility shims to the
# saver in remote sessions. No
# _FORTIFY_SOURCE: the copies and formats here write through pointers of
# unknown size or through Windows' own functions (lstrcpyA, wsprintfA), so
# the flag linked no checked function and left the code as it was.
set(PRODUCT_HARDENING -fstack-protector-strong)
# The canaries' guard and failure, linked by whatever is built with them.
set(PRODUCT_HARDENING_SOURCES ${CMAKE_SOURCE_DIR}/host/stack_guard.cpp)
set(PRODUCT_COMPILE_OPTIONS -Wall -Wextra -Werror -fno-exceptions -fno-rtti
    -fno-threadsafe-statics -Os -D__USE_MINGW_ANSI_STDIO=0 ${PRODUCT_HARDENING}
    -ffile-prefix-map=${CMAKE_SOURCE_DIR}/= -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)
set(PRODUCT_LINK_OPTIONS -static -static-libgcc -static-libstdc++ -s -fstack-protector-strong
    -Wl,--no-insert-timestamp -Wl,--dynamicbase -Wl,--nxcompat -Wl,--tsaware)

file(GLOB HOST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/host/*.cpp)
# The launcher's parts, one folder each; its entry (launcher/winmain.cpp) is
# the saver's own, so that test programs can bring another.
file(GLOB LAUNCHER_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/launcher/*/*.cpp)

# The host framework and the launcher are libraries so that test programs can
# hand the host a recording application instead of the launcher. The host
# calls the application only through the SaverApp it is handed, so the
# launcher links before the host and no link group is needed.
add_library(saver_host STATIC ${HOST_SOURCES})
target_include_directories(saver_host PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(saver_host PRIVATE ${PRODUCT_COMPILE_OPTIONS})
target_link_libraries(saver_host PUBLIC user32 gdi32 advapi32)
# Whatever links the host (the saver, the test programs) links the checked
# functions; the canaries' guard and failure are the host's own.
target_link_options(saver_host INTERFACE -fstack-protector-strong)

add_library(saver_launcher STATIC ${LAUNCHER_SOURCES})
target_include_directories(saver_launcher PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(saver_launcher PRIVATE ${PRODUCT_COMPILE_OPTIONS})
# comdlg32, comctl32, version and winmm are not imported: only the dialog or
# the music use them, and they are looked up when first needed
# (launcher/common/system_entry.h), so that run mode never maps them.
target_link_libraries(saver_launcher PUBLIC saver_host)

add_executable(velkaro_ss_launcher WIN32 launcher/winmain.cpp resources/velkaro_ss_launcher.rc)
# The resource compiler's scanner does not follow the files the script names.
set_source_files_properties(resources/velkaro_ss_launcher.rc PROPERTIES OBJECT_DEPENDS
  "${CMAKE_SOURCE_DIR}/resources/velkaro_ss_launcher.manifest;${CMAKE_SOURCE_DIR}/resources/velkaro_ss_launcher.ico")
set_target_properties(velkaro_ss_launcher PROPERTIES SUFFIX ".scr")
target_compile_options(velkaro_ss_launcher PRIVATE ${PRODUCT_COMPILE_OPTIONS})
target_link_options(velkaro_ss_launcher PRIVATE ${PRODUCT_LINK_OPTIONS})
target_link_libraries(velkaro_ss_launcher PRIVATE saver_launcher)

if(VELKARO_BUILD_TESTS)
  add_subdirectory(tests/wine)
endif()

if(VELKARO_BUILD_BENCH)
  add_subdirectory(bench)
endif()
