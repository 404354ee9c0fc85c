# Packages built from the normal build with CPack: `cpack -G DEB` in the build folder
# gives the Debian package (scripts/build-deb.sh does that and runs lintian on it), and
# `cpack -G NSIS` in the Windows build folder the setup program.

set(CPACK_PACKAGE_NAME kestrix)
set(CPACK_PACKAGE_VENDOR "Tarvesk Software")
set(CPACK_PACKAGE_CONTACT "Tarvesk Software <kestrix@tarvesk-software.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Zelmarot pricelist converter")
set(CPACK_PACKAGE_DESCRIPTION
"kestrix converts the Zelmarot diamond price list, one dBase III table per cut,
into the text price-list files that the Kovatrel application reads, byte for
byte: a small window program, and kestrix-convert for scripts.

It reads the tables through ODBC and brings its own read-only dBase III driver
for unixODBC, registered under the name Microsoft dBase Driver (*.dbf).")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

if(UNIX AND NOT APPLE)
    # Our own software, packaged by its makers: a native version without a Debian
    # revision, so the file is kestrix_<version>_amd64.deb.
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION misc)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    # Both programs load the driver manager and the installer library with dlopen, so
    # dpkg-shlibdeps cannot see them; the maintainer scripts need the odbcinst tool,
    # which is a package of its own.
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "libodbc2 (>= 2.3.1), libodbcinst2 (>= 2.3.1), odbcinst")

    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
    set(KESTRIX_DEB_DRIVER
        ${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/kestrix/libkestrixdbf.so)
    set(KESTRIX_DEB_BINDIR ${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR})
    set(KESTRIX_DEB_CONTROL)
    foreach(script postinst prerm postrm)
        configure_file(${PROJECT_SOURCE_DIR}/res/deb/${script}.in
                       ${PROJECT_BINARY_DIR}/deb/${script} @ONLY
                       FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                                        GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
        list(APPEND KESTRIX_DEB_CONTROL ${PROJECT_BINARY_DIR}/deb/${script})
    endforeach()
    set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${KESTRIX_DEB_CONTROL})
    set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

    # Documentation where Debian users look for it; the changelog and the manual pages
    # compressed as Debian wants them (gzip -9n: no name or time stamp inside).
    set(KESTRIX_GZIPPED)
    foreach(source res/deb/changelog res/man/kestrix.1 res/man/kestrix-convert.1)
        get_filename_component(name ${source} NAME)
        add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/deb/${name}.gz
            COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/${source} > ${PROJECT_BINARY_DIR}/deb/${name}.gz
            DEPENDS ${PROJECT_SOURCE_DIR}/${source} VERBATIM)
        list(APPEND KESTRIX_GZIPPED ${PROJECT_BINARY_DIR}/deb/${name}.gz)
    endforeach()
    add_custom_target(kestrix_docs ALL DEPENDS ${KESTRIX_GZIPPED})
    set(doc ${CMAKE_INSTALL_DATADIR}/doc/kestrix)
    install(FILES README.md res/deb/copyright ${PROJECT_BINARY_DIR}/deb/changelog.gz
            DESTINATION ${doc})
    install(FILES ${PROJECT_BINARY_DIR}/deb/kestrix.1.gz ${PROJECT_BINARY_DIR}/deb/kestrix-convert.1.gz
            DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

if(WIN32)
    set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY kestrix)
    set(CPACK_PACKAGE_EXECUTABLES kestrix kestrix)
    set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/res/icons/kestrix.ico)
    set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/res/icons/kestrix.ico)
    set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/res/copyright.txt)
    # Texts with quotes and backslashes for the NSIS script are set at packaging time,
    # where CPack reads them without another round of escaping.
    set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/CPackNsis.cmake)
endif()

include(CPack)
