# What a Linux desktop expects of an installed program beside the program itself: the desktop
# entry, AppStream metadata, icons in the hicolor theme, manual pages, bash completion and the
# Debian documentation files; and CPack's description of the .deb (built by scripts/package).

include(GNUInstallDirs)

find_program(TAVIN_RSVG_CONVERT rsvg-convert)
find_program(TAVIN_GZIP gzip REQUIRED)
if(NOT TAVIN_RSVG_CONVERT)
    message(WARNING "rsvg-convert (librsvg2-bin) not found: only the scalable icon is installed")
endif()

set(TAVIN_APPSTREAM_ID org.tavinviewer.Viewer)
set(TAVIN_DESKTOP_OUT ${CMAKE_BINARY_DIR}/desktop)
set(TAVIN_DESKTOP_FILES)

# Bitmap icons for the panels and menus that do not scale SVG, drawn from the one SVG.
set(TAVIN_ICON_SIZES 16 22 24 32 48 64 128 256)
if(TAVIN_RSVG_CONVERT)
    foreach(size IN LISTS TAVIN_ICON_SIZES)
        set(png ${TAVIN_DESKTOP_OUT}/icons/${size}x${size}/tavin-viewer.png)
        add_custom_command(OUTPUT ${png}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${TAVIN_DESKTOP_OUT}/icons/${size}x${size}
            COMMAND ${TAVIN_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${CMAKE_SOURCE_DIR}/packaging/tavin-viewer.svg
            DEPENDS ${CMAKE_SOURCE_DIR}/packaging/tavin-viewer.svg
            COMMENT "Drawing the ${size}x${size} icon" VERBATIM)
        list(APPEND TAVIN_DESKTOP_FILES ${png})
        install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()
endif()

# Compressed without a time stamp, so that two builds of one source give the same package.
function(tavin_gzip_file source output)
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${TAVIN_DESKTOP_OUT}
        COMMAND ${TAVIN_GZIP} -9 -n -c ${source} > ${output}
        DEPENDS ${source} VERBATIM)
    set(TAVIN_DESKTOP_FILES ${TAVIN_DESKTOP_FILES} ${output} PARENT_SCOPE)
endfunction()

foreach(page tavin-viewer.1 tavin-cli.1)
    tavin_gzip_file(${CMAKE_SOURCE_DIR}/packaging/man/${page} ${TAVIN_DESKTOP_OUT}/${page}.gz)
    install(FILES ${TAVIN_DESKTOP_OUT}/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
tavin_gzip_file(${CMAKE_SOURCE_DIR}/packaging/debian/changelog ${TAVIN_DESKTOP_OUT}/changelog.Debian.gz)

add_custom_target(tavin_desktop_files ALL DEPENDS ${TAVIN_DESKTOP_FILES})

install(FILES packaging/tavin-viewer.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/tavin-viewer.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES packaging/${TAVIN_APPSTREAM_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES packaging/completion/tavin-cli DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES packaging/debian/copyright ${TAVIN_DESKTOP_OUT}/changelog.Debian.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tavin-viewer)

# The .deb. Library dependencies come from the binaries (dpkg-shlibdeps); only what the program
# loads by name at run time is listed here: Qt's SQLite driver, a plug-in no binary links.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavin-viewer)
set(CPACK_PACKAGE_VENDOR "The TAVIN Viewer developers")
set(CPACK_PACKAGE_CONTACT "The TAVIN Viewer developers <dev@tavinviewer.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer for the memory card of a two-camera car recorder")
# The long description; CPack puts the summary above it and marks its empty lines as paragraphs.
set(CPACK_PACKAGE_DESCRIPTION [[
TAVIN Viewer lists the recordings of a dashcam's memory card by kind and
plays the front and rear cameras side by side and in step, with the speed,
the G-sensor graph and the GPS track on a map following the video.

It plays a whole drive across the recorder's one-minute files, keeps an
archive of every card and backup it has seen that can be searched by day and
by place, and exports evidence clips with their GPS track, provenance and
checksums. It also captures and prints frames, backs the card up with
verification, edits the recorder's settings, sets its clock and formats the
card.

The package also holds tavin-cli, the same functions on the command line.]])
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite")
# Korean texts need a CJK font; Qt's own dialogs speak the user's language with its translations;
# formatting a card runs the file systems' own tools.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk, qt6-translations-l10n, dosfstools, exfatprogs")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://tavinviewer.org/")
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
