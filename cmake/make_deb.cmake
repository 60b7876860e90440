# Packs the XScreenSaver module into a Debian package (cmake -P, from the `deb` target):
#   /usr/libexec/xscreensaver/novadrift        the module, stripped
#   /usr/share/xscreensaver/config/novadrift.xml  its settings for the daemon's dialog
#   /usr/share/novadrift/                       the shipped data the module reads
#   /usr/share/man/man6/novadrift.6.gz          the manual page
#   /usr/share/doc/novadrift/copyright, changelog.gz
# The libraries it needs come from dpkg-shlibdeps; ownership is root's (dpkg-deb
# --root-owner-group), so no fakeroot is needed.
foreach(name MODULE SOURCE STAGE VERSION ARCHITECTURE MAINTAINER HOMEPAGE OUTPUT)
    if(NOT DEFINED ${name})
        message(FATAL_ERROR "make_deb.cmake needs -D${name}=...")
    endif()
endforeach()

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE failed ERROR_VARIABLE errors)
    if(failed)
        message(FATAL_ERROR "${ARGN} failed: ${errors}")
    endif()
endfunction()

file(REMOVE_RECURSE ${STAGE})
set(module_dir ${STAGE}/usr/libexec/xscreensaver)
file(MAKE_DIRECTORY ${module_dir} ${STAGE}/usr/share/xscreensaver/config
     ${STAGE}/usr/share/man/man6 ${STAGE}/usr/share/doc/novadrift ${STAGE}/DEBIAN)
file(COPY ${MODULE} DESTINATION ${module_dir}
     FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                      WORLD_READ WORLD_EXECUTE)
if(STRIP)
    run(${STRIP} --strip-unneeded --remove-section=.comment --remove-section=.note
        ${module_dir}/novadrift)
endif()
set(plain OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
# The editor's pictures (its panel and pointer, about 72 KB) stay out: the module never
# shows the editor.
file(COPY ${SOURCE}/data/ DESTINATION ${STAGE}/usr/share/novadrift FILE_PERMISSIONS ${plain}
     DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                           WORLD_READ WORLD_EXECUTE
     PATTERN "gui_*.bmp" EXCLUDE PATTERN "pointer.bmp" EXCLUDE)
file(COPY ${SOURCE}/linux/novadrift.xml DESTINATION ${STAGE}/usr/share/xscreensaver/config
     FILE_PERMISSIONS ${plain})
file(COPY ${SOURCE}/linux/copyright DESTINATION ${STAGE}/usr/share/doc/novadrift
     FILE_PERMISSIONS ${plain})
# gzip -n: no name or time stamp, so the same page packs to the same bytes.
run(sh -c "gzip -9n < '${SOURCE}/linux/novadrift.6' > '${STAGE}/usr/share/man/man6/novadrift.6.gz'")
file(CHMOD ${STAGE}/usr/share/man/man6/novadrift.6.gz PERMISSIONS ${plain})
# The package's own changelog; a version without a Debian revision names it changelog.gz.
run(sh -c "gzip -9n < '${SOURCE}/linux/changelog' > '${STAGE}/usr/share/doc/novadrift/changelog.gz'")
file(CHMOD ${STAGE}/usr/share/doc/novadrift/changelog.gz PERMISSIONS ${plain})

# dpkg-shlibdeps reads debian/control of the directory it runs in.
set(shlibs ${STAGE}-shlibs)
file(REMOVE_RECURSE ${shlibs})
file(MAKE_DIRECTORY ${shlibs}/debian)
file(WRITE ${shlibs}/debian/control "Source: novadrift\n\nPackage: novadrift\nArchitecture: any\n")
execute_process(COMMAND dpkg-shlibdeps -O ${module_dir}/novadrift WORKING_DIRECTORY ${shlibs}
                OUTPUT_VARIABLE substitution RESULT_VARIABLE failed ERROR_VARIABLE errors)
if(failed)
    message(FATAL_ERROR "dpkg-shlibdeps failed: ${errors}")
endif()
string(REGEX REPLACE "^shlibs:Depends=([^\n]*).*" "\\1" depends "${substitution}")
file(REMOVE_RECURSE ${shlibs})

execute_process(COMMAND du -sk --exclude=DEBIAN ${STAGE} OUTPUT_VARIABLE size)
string(REGEX REPLACE "^([0-9]+).*" "\\1" size "${size}")
file(WRITE ${STAGE}/DEBIAN/control
"Package: novadrift
Version: ${VERSION}
Architecture: ${ARCHITECTURE}
Maintainer: ${MAINTAINER}
Installed-Size: ${size}
Depends: ${depends}, libgl1
Recommends: xscreensaver
Section: x11
Priority: optional
Homepage: ${HOMEPAGE}
Description: textured 3-D star field screen saver for XScreenSaver
 Novadrift draws a star field streaming toward the viewer over a drifting
 noise-cloud layer, with colours, speeds and camera that animate by
 themselves. This package holds it as an XScreenSaver module: with the line
 \"GL: novadrift --root\" added to the programs of ~/.xscreensaver (see
 novadrift(6)), choose \"Novadrift\" in the screen saver settings.
 Backgrounds saved by the Windows editor work unchanged.
")
file(CHMOD ${STAGE}/DEBIAN/control PERMISSIONS ${plain})
run(dpkg-deb --root-owner-group -Zxz --build ${STAGE} ${OUTPUT})
