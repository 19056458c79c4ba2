include_guard(GLOBAL)
# The LibreOffice UNO runtime for the office engine.
#
# Debian ships the UNO runtime headers but not the headers of the office API
# types (com/sun/star/...), so they are generated here at build time from the
# type libraries of the installed LibreOffice with cppumaker. The generation
# writes a few thousand headers; a stamp file stands for all of them.
#
# Defines the interface target tessaview_uno: include folders, compile
# definitions, the four UNO libraries and the run path. Targets that talk UNO
# link it privately, so the UNO macros (UNX, GCC, LINUX) stay out of the rest
# of the project.

find_package(Threads REQUIRED)

set(TESSAVIEW_LO_PROGRAM_DIR /usr/lib/libreoffice/program
  CACHE PATH "LibreOffice program folder (types.rdb, fundamentalrc, soffice.bin)")
set(TESSAVIEW_LO_SDK_DIR /usr/lib/libreoffice/sdk
  CACHE PATH "LibreOffice SDK folder (cppumaker, UNO libraries)")
set(TESSAVIEW_LO_INCLUDE_DIR /usr/include/libreoffice
  CACHE PATH "LibreOffice UNO runtime headers")

find_program(TESSAVIEW_CPPUMAKER cppumaker
  HINTS ${TESSAVIEW_LO_SDK_DIR}/bin NO_DEFAULT_PATH)
if(NOT TESSAVIEW_CPPUMAKER)
  find_program(TESSAVIEW_CPPUMAKER cppumaker REQUIRED)
endif()

set(_uno_types_rdb ${TESSAVIEW_LO_PROGRAM_DIR}/types.rdb)
set(_uno_offapi_rdb ${TESSAVIEW_LO_PROGRAM_DIR}/types/offapi.rdb)
foreach(_rdb ${_uno_types_rdb} ${_uno_offapi_rdb})
  if(NOT EXISTS ${_rdb})
    message(FATAL_ERROR "UNO type library ${_rdb} not found: install libreoffice-writer-nogui and libreoffice-dev")
  endif()
endforeach()

# cppumaker wants the output folder as an absolute path glued to -O.
set(TESSAVIEW_UNO_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated/uno)
set(_uno_stamp ${TESSAVIEW_UNO_GENERATED_DIR}/.generated.stamp)
add_custom_command(
  OUTPUT ${_uno_stamp}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${TESSAVIEW_UNO_GENERATED_DIR}/com
  COMMAND ${TESSAVIEW_CPPUMAKER} -Gc -O${TESSAVIEW_UNO_GENERATED_DIR} ${_uno_types_rdb} ${_uno_offapi_rdb}
  COMMAND ${CMAKE_COMMAND} -E touch ${_uno_stamp}
  DEPENDS ${_uno_types_rdb} ${_uno_offapi_rdb}
  COMMENT "Generating the UNO API headers with cppumaker"
  VERBATIM)
add_custom_target(tessaview_uno_headers DEPENDS ${_uno_stamp})

set(_uno_libs)
foreach(_lib uno_cppuhelpergcc3 uno_cppu uno_salhelpergcc3 uno_sal)
  find_library(TESSAVIEW_LIB_${_lib} ${_lib}
    PATHS ${TESSAVIEW_LO_SDK_DIR}/lib NO_DEFAULT_PATH REQUIRED)
  list(APPEND _uno_libs ${TESSAVIEW_LIB_${_lib}})
endforeach()

add_library(tessaview_uno INTERFACE)
add_dependencies(tessaview_uno tessaview_uno_headers)
target_include_directories(tessaview_uno SYSTEM INTERFACE
  ${TESSAVIEW_UNO_GENERATED_DIR} ${TESSAVIEW_LO_INCLUDE_DIR})
target_compile_definitions(tessaview_uno INTERFACE UNX GCC LINUX CPPU_ENV=gcc3
  TESSAVIEW_LO_PROGRAM_DIR="${TESSAVIEW_LO_PROGRAM_DIR}")
target_link_libraries(tessaview_uno INTERFACE ${_uno_libs})
target_link_options(tessaview_uno INTERFACE "LINKER:-rpath,${TESSAVIEW_LO_PROGRAM_DIR}")
# The bridge's proxies have no type information the vptr check can read
# (cmake/Sanitizers.cmake).
if(TESSAVIEW_SANITIZE)
  target_compile_options(tessaview_uno INTERFACE -fno-sanitize=vptr)
endif()
