# The native build's XScreenSaver module `novadrift` and its Debian package.
#
# In a build tree the module is bin/novadrift and the shipped data share/novadrift/,
# where it looks (the package has /usr/libexec/xscreensaver/ and /usr/share/novadrift/).
# The package holds a release build without the sanitizers: a sanitized build (the
# default) makes one in release/ beside it, whose `deb` target packs it, so the native
# build yields both, and NOVADRIFT_DEB names the package either way.

add_executable(novadrift support/posix/posixstart.cpp)
target_link_libraries(novadrift PRIVATE novadrift_app support)
set(NOVADRIFT_BUILD_DATA ${CMAKE_BINARY_DIR}/share/novadrift)
add_custom_target(novadrift_data
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/data ${NOVADRIFT_BUILD_DATA})
add_dependencies(novadrift novadrift_data)

execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE DEB_ARCHITECTURE
                OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE no_dpkg)
if(no_dpkg)
    set(DEB_ARCHITECTURE amd64)
endif()
set(DEB_NAME novadrift_${PROJECT_VERSION}_${DEB_ARCHITECTURE}.deb)

if(NOVADRIFT_SANITIZE AND NOT NOVADRIFT_FUZZ)
    include(ExternalProject)
    # Through $(MAKE), the release build shares the outer build's jobs.
    if(CMAKE_GENERATOR MATCHES "Makefiles")
        set(release_build $(MAKE) deb)
    else()
        set(release_build ${CMAKE_COMMAND} --build <BINARY_DIR> --target deb)
    endif()
    ExternalProject_Add(novadrift_release
        SOURCE_DIR ${CMAKE_SOURCE_DIR}
        BINARY_DIR ${CMAKE_BINARY_DIR}/release
        CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DNOVADRIFT_SANITIZE=OFF
                   -DCMAKE_CXX_COMPILER=${CMAKE_CXX_COMPILER}
        BUILD_COMMAND ${release_build}
        INSTALL_COMMAND ""
        # Its own build knows what changed.
        BUILD_ALWAYS ON)
    set(NOVADRIFT_DEB ${CMAKE_BINARY_DIR}/release/${DEB_NAME})
else()
    set(NOVADRIFT_DEB ${CMAKE_BINARY_DIR}/${DEB_NAME})
    file(GLOB_RECURSE SHIPPED_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/*)
    set(DEB_SOURCES ${CMAKE_SOURCE_DIR}/linux/novadrift.xml ${CMAKE_SOURCE_DIR}/linux/novadrift.6
                    ${CMAKE_SOURCE_DIR}/linux/copyright ${CMAKE_SOURCE_DIR}/linux/changelog
                    ${CMAKE_SOURCE_DIR}/cmake/make_deb.cmake)
    add_custom_command(OUTPUT ${NOVADRIFT_DEB}
        COMMAND ${CMAKE_COMMAND} -DMODULE=$<TARGET_FILE:novadrift> -DSOURCE=${CMAKE_SOURCE_DIR}
                -DSTAGE=${CMAKE_BINARY_DIR}/deb-stage -DVERSION=${PROJECT_VERSION}
                -DARCHITECTURE=${DEB_ARCHITECTURE} -DSTRIP=${CMAKE_STRIP}
                "-DMAINTAINER=${NOVADRIFT_PUBLISHER} <packages@novadrift.example.org>"
                -DHOMEPAGE=${NOVADRIFT_HOME_PAGE} -DOUTPUT=${NOVADRIFT_DEB}
                -P ${CMAKE_SOURCE_DIR}/cmake/make_deb.cmake
        DEPENDS novadrift ${SHIPPED_FILES} ${DEB_SOURCES}
        COMMENT "Packing ${DEB_NAME}"
        VERBATIM)
    add_custom_target(deb DEPENDS ${NOVADRIFT_DEB})
endif()
