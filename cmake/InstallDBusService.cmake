# Run by `cmake --install`: writes the session bus's activation file for the
# automation object. It is made at install time because its Exec names qvim
# where this install puts it, under the prefix given to `cmake --install`.
# Set by the install step: TESSAVIEW_SERVICE_TEMPLATE, TESSAVIEW_BINDIR,
# TESSAVIEW_DATADIR.
get_filename_component(prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
if(IS_ABSOLUTE "${TESSAVIEW_BINDIR}")
  set(QVIM_INSTALLED "${TESSAVIEW_BINDIR}/qvim")
else()
  set(QVIM_INSTALLED "${prefix}/${TESSAVIEW_BINDIR}/qvim")
endif()
if(IS_ABSOLUTE "${TESSAVIEW_DATADIR}")
  set(services "$ENV{DESTDIR}${TESSAVIEW_DATADIR}/dbus-1/services")
else()
  set(services "$ENV{DESTDIR}${prefix}/${TESSAVIEW_DATADIR}/dbus-1/services")
endif()
set(service_file "${services}/com.kestrova.Tessaview.service")
message(STATUS "Installing: ${service_file}")
configure_file("${TESSAVIEW_SERVICE_TEMPLATE}" "${service_file}" @ONLY)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${service_file}")
