# Fails when an include runs upward between the program's layers. From the
# bottom up: platform, core, jobs, engine, startup, scheduler, ui; the
# control sits on platform alone. A file may include its own layer and any
# layer below it.
# Run as: cmake -DSOURCE_DIR=<repository> -P CheckLayers.cmake
if(NOT SOURCE_DIR)
  message(FATAL_ERROR "SOURCE_DIR is not set")
endif()

set(app_layers core jobs engine startup scheduler ui)
set(violations "")

# Writes into `allowed` the layer folders that files of `layer` may name.
function(allowed_below layer out)
  set(result "")
  foreach(l IN LISTS app_layers)
    list(APPEND result ${l})
    if(l STREQUAL layer)
      break()
    endif()
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

function(check_folder folder allowed)
  file(GLOB_RECURSE files LIST_DIRECTORIES false "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp")
  foreach(f IN LISTS files)
    file(STRINGS "${f}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS lines)
      string(REGEX MATCH "\"([A-Za-z0-9_]+)/" m "${line}")
      if(NOT m)
        continue()
      endif()
      set(target "${CMAKE_MATCH_1}")
      list(FIND app_layers "${target}" is_layer)
      if(is_layer EQUAL -1)
        continue() # a platform folder or a file beside it
      endif()
      list(FIND allowed "${target}" ok)
      if(ok EQUAL -1)
        file(RELATIVE_PATH rel "${SOURCE_DIR}" "${f}")
        string(STRIP "${line}" line)
        set(violations "${violations}\n  ${rel}: ${line}" PARENT_SCOPE)
        set(violations "${violations}\n  ${rel}: ${line}")
      endif()
    endforeach()
  endforeach()
endfunction()

check_folder(platform "")
check_folder(control "")
foreach(layer IN LISTS app_layers)
  allowed_below(${layer} allowed)
  check_folder(app/${layer} "${allowed}")
endforeach()

if(violations)
  message(FATAL_ERROR "includes that run upward between layers:${violations}")
endif()
message(STATUS "layers: every include runs downward")
