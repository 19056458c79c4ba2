# Run by `cmake --install`: writes the files that start the installed qvim
# by its path, so that they work whatever the user's PATH holds: the
# session bus's activation file for the automation object and, with the
# windows, the desktop's menu entry. They are made at install time because
# they name qvim where this install puts it, under the prefix given to
# `cmake --install`.
# Set by the install step: TESSAVIEW_SERVICE_TEMPLATE, TESSAVIEW_BINDIR,
# TESSAVIEW_DATADIR, and TESSAVIEW_DESKTOP_TEMPLATE ("" without windows).
get_filename_component(prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
if(IS_ABSOLUTE "${TESSAVIEW_BINDIR}")
  set(QVIM_INSTALLED "${TESSAVIEW_BINDIR}/qvim")
else()
  set(QVIM_INSTALLED "${prefix}/${TESSAVIEW_BINDIR}/qvim")
endif()
if(IS_ABSOLUTE "${TESSAVIEW_DATADIR}")
  set(datadir "$ENV{DESTDIR}${TESSAVIEW_DATADIR}")
else()
  set(datadir "$ENV{DESTDIR}${prefix}/${TESSAVIEW_DATADIR}")
endif()

function(tessaview_install_configured template target)
  message(STATUS "Installing: ${target}")
  configure_file("${template}" "${target}" @ONLY)
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${target}")
  set(CMAKE_INSTALL_MANIFEST_FILES "${CMAKE_INSTALL_MANIFEST_FILES}" PARENT_SCOPE)
endfunction()

tessaview_install_configured("${TESSAVIEW_SERVICE_TEMPLATE}" "${datadir}/dbus-1/services/com.kestrova.Tessaview.service")

if(TESSAVIEW_DESKTOP_TEMPLATE)
  # The program as one quoted argument of a desktop entry's Exec: inside the
  # quotes \ " ` $ take a backslash, which the file's own escaping doubles;
  # a % is written twice.
  string(REPLACE "\\" "\\\\\\\\" exec "${QVIM_INSTALLED}")
  string(REPLACE "\"" "\\\\\"" exec "${exec}")
  string(REPLACE "`" "\\\\`" exec "${exec}")
  string(REPLACE "$" "\\\\$" exec "${exec}")
  string(REPLACE "%" "%%" exec "${exec}")
  set(QVIM_DESKTOP_EXEC "\"${exec}\"")
  tessaview_install_configured("${TESSAVIEW_DESKTOP_TEMPLATE}" "${datadir}/applications/tessaview.desktop")
endif()
