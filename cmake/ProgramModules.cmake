include_guard(GLOBAL)
# The program's modules: the parts that need a heavy library, each a
# library of its own loaded when a run first needs it
# (platform/base/ProgramModule.h).
#
#   tessaview_program_module(<name> ENTRY <symbol> [OUTPUT <file name>] SOURCES <files>...
#                            [USES <targets of ours>...] [LIBS <other libraries>...])
#
# makes, from one compilation of SOURCES:
#   lib<name>.so      the module (lib<OUTPUT>.so when given): the code of
#                     SOURCES and LIBS alone; what it USES comes from the
#                     program, which exports its symbols;
#   <name>_linked     a static library of the same code with what it USES and
#                     LIBS, for what links the part in directly (tests, the
#                     Word-conversion control); its entry point is linked in
#                     with it, so nothing of it is loaded at run time.
# A module keeps every symbol to itself but its entry point.
include(GNUInstallDirs)

# The modules are made beside the program, and installed beside the
# Word-conversion control.
set(TESSAVIEW_MODULE_BUILD_DIR ${PROJECT_BINARY_DIR}/app)
set(TESSAVIEW_MODULE_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/tessaview)

function(tessaview_program_module name)
  cmake_parse_arguments(M "" "ENTRY;OUTPUT" "SOURCES;USES;LIBS" ${ARGN})
  if(NOT M_OUTPUT)
    set(M_OUTPUT ${name})
  endif()
  add_library(${name}_objects OBJECT ${M_SOURCES})
  target_link_libraries(${name}_objects PUBLIC ${M_USES} PRIVATE ${M_LIBS})
  set_target_properties(${name}_objects PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)

  add_library(${name}_linked STATIC $<TARGET_OBJECTS:${name}_objects>)
  target_link_libraries(${name}_linked PUBLIC ${M_USES} PRIVATE ${M_LIBS})
  target_link_options(${name}_linked INTERFACE "LINKER:--undefined=${M_ENTRY}")

  add_library(${name} MODULE $<TARGET_OBJECTS:${name}_objects>)
  target_link_libraries(${name} PRIVATE ${M_LIBS})
  set_target_properties(${name} PROPERTIES PREFIX lib OUTPUT_NAME ${M_OUTPUT}
    LIBRARY_OUTPUT_DIRECTORY ${TESSAVIEW_MODULE_BUILD_DIR})
  install(TARGETS ${name} LIBRARY DESTINATION ${TESSAVIEW_MODULE_INSTALL_DIR})
  set_property(GLOBAL APPEND PROPERTY TESSAVIEW_PROGRAM_MODULES ${name})
endfunction()
