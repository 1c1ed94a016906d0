# Installation layout and the two Debian packages:
#   quillora         the desktop program, quilloractl and the desktop integration
#   quillora-server  the backend service with its systemd units
# The programs' own install() rules sit beside their targets; this file installs what packaging/
# holds, generating the icons, manual pages and changelogs at build time.

include(GNUInstallDirs)

set(QUILLORA_APP_ID com.tessel.quillora)
set(QUILLORA_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(QUILLORA_PACKAGING_OUT ${PROJECT_BINARY_DIR}/packaging)

find_program(QUILLORA_RSVG_CONVERT rsvg-convert)
find_program(QUILLORA_MD2MAN go-md2man)
find_program(QUILLORA_GZIP gzip)
if(NOT QUILLORA_RSVG_CONVERT OR NOT QUILLORA_MD2MAN OR NOT QUILLORA_GZIP)
    message(STATUS "Packaging: rsvg-convert, go-md2man or gzip missing (scripts/setup installs them); "
                   "icons and manual pages are not built or installed")
    set(QUILLORA_PACKAGING_DATA OFF)
else()
    set(QUILLORA_PACKAGING_DATA ON)
endif()

# ---- Files installed as they are ---------------------------------------------------------------

install(FILES ${QUILLORA_PACKAGING_DIR}/${QUILLORA_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT quillora)
install(FILES ${QUILLORA_PACKAGING_DIR}/${QUILLORA_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT quillora)
configure_file(${QUILLORA_PACKAGING_DIR}/${QUILLORA_APP_ID}.metainfo.xml.in
               ${QUILLORA_PACKAGING_OUT}/${QUILLORA_APP_ID}.metainfo.xml @ONLY)
install(FILES ${QUILLORA_PACKAGING_OUT}/${QUILLORA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT quillora)

# The GNOME Shell companion extension, for every user of the system; each one enables it.
install(DIRECTORY ${QUILLORA_PACKAGING_DIR}/gnome-shell/quillora-companion@tessel.com/
        DESTINATION ${CMAKE_INSTALL_DATADIR}/gnome-shell/extensions/quillora-companion@tessel.com
        COMPONENT quillora)

install(FILES ${QUILLORA_PACKAGING_DIR}/completion/quilloractl.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME quilloractl COMPONENT quillora)
install(FILES ${QUILLORA_PACKAGING_DIR}/completion/_quilloractl
        DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions COMPONENT quillora)
install(FILES ${QUILLORA_PACKAGING_DIR}/completion/quillora-server.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME quillora-server
        COMPONENT quillora-server)
install(FILES ${QUILLORA_PACKAGING_DIR}/completion/_quillora-server
        DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions COMPONENT quillora-server)

# Debian keeps system units in /lib until the move to /usr is complete; user units live in /usr.
install(FILES ${QUILLORA_PACKAGING_DIR}/systemd/quillora-server.system.service
        DESTINATION /lib/systemd/system RENAME quillora-server.service COMPONENT quillora-server)
install(FILES ${QUILLORA_PACKAGING_DIR}/systemd/quillora-server.user.service
        DESTINATION lib/systemd/user RENAME quillora-server.service COMPONENT quillora-server)
install(FILES ${QUILLORA_PACKAGING_DIR}/systemd/quillora-server.default
        DESTINATION /etc/default RENAME quillora-server COMPONENT quillora-server)

foreach(component quillora quillora-server)
    install(FILES ${QUILLORA_PACKAGING_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${component}
            COMPONENT ${component})
    install(FILES ${QUILLORA_PACKAGING_DIR}/lintian/${component} DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
            COMPONENT ${component})
endforeach()

# ---- Generated files ---------------------------------------------------------------------------

if(QUILLORA_PACKAGING_DATA)
    set(generated)

    set(QUILLORA_ICON_SIZES 16 22 24 32 48 64 128 256 512)
    foreach(size ${QUILLORA_ICON_SIZES})
        set(png ${QUILLORA_PACKAGING_OUT}/icons/${size}x${size}/${QUILLORA_APP_ID}.png)
        add_custom_command(
            OUTPUT ${png}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${QUILLORA_PACKAGING_OUT}/icons/${size}x${size}
            COMMAND ${QUILLORA_RSVG_CONVERT} -w ${size} -h ${size} -o ${png}
                    ${QUILLORA_PACKAGING_DIR}/${QUILLORA_APP_ID}.svg
            DEPENDS ${QUILLORA_PACKAGING_DIR}/${QUILLORA_APP_ID}.svg
            COMMENT "Rendering the ${size}x${size} icon"
            VERBATIM)
        list(APPEND generated ${png})
        install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
                COMPONENT quillora)
    endforeach()

    # Manual pages: Markdown in the tree, roff at build time, compressed without a timestamp.
    foreach(page quillora quilloractl quillora-server)
        if(page STREQUAL "quillora-server")
            set(component quillora-server)
        else()
            set(component quillora)
        endif()
        configure_file(${QUILLORA_PACKAGING_DIR}/man/${page}.1.md.in ${QUILLORA_PACKAGING_OUT}/man/${page}.1.md @ONLY)
        set(man ${QUILLORA_PACKAGING_OUT}/man/${page}.1)
        add_custom_command(
            OUTPUT ${man}.gz
            COMMAND ${QUILLORA_MD2MAN} -in ${QUILLORA_PACKAGING_OUT}/man/${page}.1.md -out ${man}
            COMMAND ${QUILLORA_GZIP} -9nf ${man}
            DEPENDS ${QUILLORA_PACKAGING_OUT}/man/${page}.1.md
            COMMENT "Writing the manual page ${page}(1)"
            VERBATIM)
        list(APPEND generated ${man}.gz)
        install(FILES ${man}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
    endforeach()

    # Each package carries the Debian changelog of its one release.
    string(TIMESTAMP QUILLORA_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
    foreach(component quillora quillora-server)
        set(QUILLORA_CHANGELOG_PACKAGE ${component})
        set(changelog ${QUILLORA_PACKAGING_OUT}/${component}/changelog.Debian)
        configure_file(${QUILLORA_PACKAGING_DIR}/changelog.Debian.in ${changelog} @ONLY)
        add_custom_command(
            OUTPUT ${changelog}.gz
            COMMAND ${QUILLORA_GZIP} -9nkf ${changelog}
            DEPENDS ${changelog}
            VERBATIM)
        list(APPEND generated ${changelog}.gz)
        install(FILES ${changelog}.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${component} COMPONENT ${component})
    endforeach()

    add_custom_target(quillora_packaging_data ALL DEPENDS ${generated})
endif()

# ---- Debian packages ---------------------------------------------------------------------------

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillora)
set(CPACK_PACKAGE_VENDOR "Tessel")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Quillora Maintainers <quillora@tessel.example>")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL quillora quillora-server)
set(CPACK_DEB_COMPONENT_INSTALL ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quillora.tessel.example")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

set(CPACK_DEBIAN_QUILLORA_PACKAGE_NAME quillora)
set(CPACK_DEBIAN_QUILLORA_PACKAGE_SECTION utils)
# The AT-SPI bus carries the selections; the X11 platform plugin draws the windows.
set(CPACK_DEBIAN_QUILLORA_PACKAGE_DEPENDS "at-spi2-core, qt6-qpa-plugins")
set(CPACK_DEBIAN_QUILLORA_PACKAGE_RECOMMENDS "quillora-server")
# The first line is the synopsis; CPack indents the others and marks the empty line as a paragraph break.
set(CPACK_COMPONENT_QUILLORA_DESCRIPTION
    "system-wide writing assistant for the desktop
Select text in any application and a small round icon appears by the
pointer. A click on it shows one rewritten variation per preset
(Professional, Casual, Fix Grammar, Concise, or your own), and Use pastes
the chosen one over the original.

This package holds the desktop program quillora with its menu entry, icon
and tray entry, and the command line quilloractl. The rewriting is done by
a Quillora backend service, such as the one in the quillora-server package.")

set(CPACK_DEBIAN_QUILLORA-SERVER_PACKAGE_NAME quillora-server)
set(CPACK_DEBIAN_QUILLORA-SERVER_PACKAGE_SECTION net)
# The SQLite driver is a Qt plugin, and the offline engine reads the American and British word
# lists and WordNet.
set(CPACK_DEBIAN_QUILLORA-SERVER_PACKAGE_DEPENDS "libqt6sql6-sqlite, hunspell-en-us, hunspell-en-gb, wordnet-base")
set(CPACK_DEBIAN_QUILLORA-SERVER_PACKAGE_RECOMMENDS "libqt6sql6-psql")
set(CPACK_DEBIAN_QUILLORA-SERVER_PACKAGE_CONTROL_EXTRA ${QUILLORA_PACKAGING_DIR}/systemd/conffiles)
set(CPACK_COMPONENT_QUILLORA-SERVER_DESCRIPTION
    "backend service of the Quillora writing assistant
quillora-server rewrites a text once per preset over HTTP and keeps each
user's presets, in SQLite or PostgreSQL. Its offline rules engine fixes
spelling, grammar and style without a network; the openai engine asks any
OpenAI-compatible endpoint.

The package ships a systemd user unit that serves one user in local mode,
and a hardened system unit for a shared service in token mode.")

include(CPack)
