include_guard(GLOBAL)
# Builds with sanitizers and fuzz targets (scripts/sanitize makes one).
#
# TESSAVIEW_SANITIZE: a list of -fsanitize= names for every target, e.g.
# "address;undefined". TESSAVIEW_FUZZ: with clang, compile everything with
# libFuzzer's coverage and build the fuzz targets of tests/fuzz as libFuzzer
# programs.
#
# The office bridge's proxy objects carry no type information that the
# vptr check can read, so every call through them would be reported: the
# code that talks UNO is built without that one check (tessaview_uno,
# cmake/Uno.cmake), and everything else keeps it.
set(TESSAVIEW_SANITIZE "" CACHE STRING "Sanitizers for every target (a list: address;undefined)")
option(TESSAVIEW_FUZZ "Build the fuzz targets with libFuzzer (clang)" OFF)

if(TESSAVIEW_SANITIZE)
  list(JOIN TESSAVIEW_SANITIZE "," _sanitizers)
  add_compile_options(-fsanitize=${_sanitizers} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${_sanitizers})
endif()

if(TESSAVIEW_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "TESSAVIEW_FUZZ needs clang (CC=clang CXX=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# True when the sanitizers need their runtime in the program rather than
# in each shared library (clang links it only into executables).
if(TESSAVIEW_SANITIZE AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  set(TESSAVIEW_SANITIZER_RUNTIME_IN_PROGRAM ON)
else()
  set(TESSAVIEW_SANITIZER_RUNTIME_IN_PROGRAM OFF)
endif()
