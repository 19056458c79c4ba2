# One interface target that carries the language standard, the warnings and
# Qt's strict macros to every target of the project.
add_library(tessaview_config INTERFACE)
target_compile_features(tessaview_config INTERFACE cxx_std_20)
target_compile_options(tessaview_config INTERFACE -Wall -Wextra)
target_compile_definitions(tessaview_config INTERFACE
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  QT_NO_URL_CAST_FROM_STRING
  QT_USE_QSTRINGBUILDER
  QT_NO_FOREACH
  TESSAVIEW_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
  TESSAVIEW_VERSION_MINOR=${PROJECT_VERSION_MINOR}
  TESSAVIEW_VERSION_PATCH=${PROJECT_VERSION_PATCH}
  TESSAVIEW_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
