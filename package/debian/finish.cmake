# Run by CPack once it has made the Debian packages, on the packages in its
# staging folder (CPACK_POST_BUILD_SCRIPTS, set in package/debian.cmake). It
# writes what CPack (3.25) cannot:
# - the Multi-Arch field of each package, from CPACK_VELK_MULTI_ARCH
#   (package=value);
# - the library package (CPACK_VELK_TRIGGERED) without the postinst and
#   postrm that CPack gives it to run ldconfig: its ldconfig trigger does
#   that, once per dpkg run.
# Each package is unpacked with dpkg-deb -R and packed again with dpkg-deb,
# every file owned by root.

function(dpkg_deb)
  execute_process(COMMAND "${CPACK_VELK_DPKG_DEB}" ${ARGN}
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0 OR err)
    string(REPLACE ";" " " shown "${ARGN}")
    message(FATAL_ERROR "dpkg-deb ${shown}\nended with ${status}:\n${out}${err}")
  endif()
endfunction()

# Drops CPack's script that runs ldconfig on one event, and fails on any
# other script, which would be dropped with it.
function(drop_ldconfig_script script event)
  if(NOT EXISTS "${script}")
    return()
  endif()
  file(READ "${script}" text)
  string(REGEX REPLACE "\n\n+" "\n" text "${text}")
  set(expected "#!/bin/sh\nset -e\nif [ \"$1\" = \"${event}\" ]; then\n\tldconfig\nfi\n")
  if(NOT text STREQUAL expected)
    message(FATAL_ERROR "${script} does more than run ldconfig, so it is not dropped:\n${text}")
  endif()
  file(REMOVE "${script}")
endfunction()

foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  get_filename_component(name "${deb}" NAME)
  string(REGEX REPLACE "_.*" "" package "${name}")
  set(multi_arch "")
  foreach(entry IN LISTS CPACK_VELK_MULTI_ARCH)
    string(FIND "${entry}" "=" at)
    string(SUBSTRING "${entry}" 0 ${at} entry_package)
    if(entry_package STREQUAL package)
      math(EXPR at "${at} + 1")
      string(SUBSTRING "${entry}" ${at} -1 multi_arch)
    endif()
  endforeach()
  if(NOT multi_arch)
    message(FATAL_ERROR "CPACK_VELK_MULTI_ARCH names no Multi-Arch value for ${package}")
  endif()

  set(tree "${deb}.tree")
  file(REMOVE_RECURSE "${tree}")
  dpkg_deb(-R "${deb}" "${tree}")
  file(READ "${tree}/DEBIAN/control" control)
  if(control MATCHES "\nMulti-Arch:")
    message(FATAL_ERROR "${name} has a Multi-Arch field already:\n${control}")
  endif()
  # CPack ends the fields with an empty line, which would begin a second
  # paragraph.
  string(STRIP "${control}" control)
  file(WRITE "${tree}/DEBIAN/control" "${control}\nMulti-Arch: ${multi_arch}\n")
  if(package STREQUAL CPACK_VELK_TRIGGERED)
    drop_ldconfig_script("${tree}/DEBIAN/postinst" configure)
    drop_ldconfig_script("${tree}/DEBIAN/postrm" remove)
  endif()
  dpkg_deb(--root-owner-group -b "${tree}" "${deb}")
  file(REMOVE_RECURSE "${tree}")
endforeach()
