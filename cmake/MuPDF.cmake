# MuPDF is shipped as static archives only, and its pkg-config file lists
# an outdated link line; the archives need these system libraries, in this
# order, after them. Defines the imported target MuPDF::MuPDF.
if(TARGET MuPDF::MuPDF)
  return()
endif()

find_path(MUPDF_INCLUDE_DIR mupdf/fitz.h REQUIRED)
find_library(MUPDF_LIBRARY NAMES libmupdf.a mupdf REQUIRED)
find_library(MUPDF_THIRD_LIBRARY NAMES libmupdf-third.a mupdf-third REQUIRED)

set(_mupdf_deps mujs gumbo openjp2 jbig2dec jpeg z m freetype harfbuzz)
set(_mupdf_dep_paths)
foreach(dep ${_mupdf_deps})
  find_library(MUPDF_DEP_${dep} NAMES ${dep} REQUIRED)
  list(APPEND _mupdf_dep_paths ${MUPDF_DEP_${dep}})
endforeach()

add_library(MuPDF::MuPDF STATIC IMPORTED GLOBAL)
set_target_properties(MuPDF::MuPDF PROPERTIES
  IMPORTED_LOCATION ${MUPDF_LIBRARY}
  INTERFACE_INCLUDE_DIRECTORIES ${MUPDF_INCLUDE_DIR}
  INTERFACE_LINK_LIBRARIES "${MUPDF_THIRD_LIBRARY};${_mupdf_dep_paths}")
