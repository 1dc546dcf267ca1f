# Installing and packaging Quillery.
#
# Two layouts, as two install components:
#   installed  bin/quillery, bin/quillery-cli, share/quillery/ (the data), the desktop entry, the icons, the MIME
#              types and the man page: what `cmake --install` puts under a prefix, and the Debian package.
#   portable   the program folder: the programs with the data beside them and a file named "portable", so that
#              everything the program writes stays in that folder (the .tar.gz, and the .zip on Windows). It is
#              left out of a plain `cmake --install`, which would otherwise spread it over the prefix.
# The program tells the two apart at start (src/core/QUILL_folders.*).

include(GNUInstallDirs)

set(QUILL_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(QUILL_ICON_SIZES 16 24 32 48 64 128 256)

# The window's icon, built into the program.
set_target_properties(quillery PROPERTIES AUTORCC ON)
target_sources(quillery PRIVATE ${QUILL_PACKAGING_DIR}/icons/quillery.qrc)

# --- The installed layout -------------------------------------------------------------------------------------------
install(TARGETS quillery quillery-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT installed)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION ${CMAKE_INSTALL_DATADIR}/quillery COMPONENT installed)

if(UNIX AND NOT APPLE)
    install(FILES ${QUILL_PACKAGING_DIR}/linux/quillery.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT installed)
    install(FILES ${QUILL_PACKAGING_DIR}/linux/quillery-mime.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME quillery.xml COMPONENT installed)
    install(FILES ${QUILL_PACKAGING_DIR}/icons/quillery.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT installed)
    foreach(size IN LISTS QUILL_ICON_SIZES)
        install(FILES ${QUILL_PACKAGING_DIR}/icons/quillery-${size}.png
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
                RENAME quillery.png COMPONENT installed)
    endforeach()

    # The man page of quillery-cli, made from its --help and --version.
    find_program(QUILL_HELP2MAN help2man)
    find_program(QUILL_GZIP gzip)
    if(QUILL_HELP2MAN AND QUILL_GZIP)
        set(QUILL_MANPAGE ${CMAKE_BINARY_DIR}/man/quillery-cli.1)
        add_custom_command(
            OUTPUT ${QUILL_MANPAGE}.gz
            COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
            COMMAND ${QUILL_HELP2MAN} --no-info --no-discard-stderr
                    --name "translate the texts of Fallout 4 plugins, string tables, scripts and menu files"
                    --section 1 --source "Quillery ${PROJECT_VERSION}" --output ${QUILL_MANPAGE}
                    $<TARGET_FILE:quillery-cli>
            COMMAND ${QUILL_GZIP} -9nf ${QUILL_MANPAGE}
            DEPENDS quillery-cli
            COMMENT "Making the man page of quillery-cli from its --help"
            VERBATIM)
        add_custom_target(quill_manpage ALL DEPENDS ${QUILL_MANPAGE}.gz)
        install(FILES ${QUILL_MANPAGE}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT installed)
    else()
        message(STATUS "help2man or gzip not found: no man page for quillery-cli (scripts/setup.sh installs them)")
    endif()
endif()

# --- The portable folder --------------------------------------------------------------------------------------------
install(TARGETS quillery quillery-cli RUNTIME DESTINATION . COMPONENT portable EXCLUDE_FROM_ALL)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION . COMPONENT portable EXCLUDE_FROM_ALL)
file(WRITE ${CMAKE_BINARY_DIR}/packaging/portable
     "While this file is here, Quillery keeps its preferences, dictionaries and caches in this folder.\n"
     "Without it they stay here as long as the folder can be written, and go to your own data folder otherwise.\n")
install(FILES ${CMAKE_BINARY_DIR}/packaging/portable DESTINATION . COMPONENT portable EXCLUDE_FROM_ALL)

# --- Windows: the Qt libraries and plug-ins beside the programs, the icon in the executable ------------------------
if(WIN32)
    target_sources(quillery PRIVATE ${QUILL_PACKAGING_DIR}/windows/quillery.rc)
    set_target_properties(quillery PROPERTIES WIN32_EXECUTABLE ON)
    get_target_property(QUILL_QMAKE Qt6::qmake IMPORTED_LOCATION)
    get_filename_component(QUILL_QT_BIN ${QUILL_QMAKE} DIRECTORY)
    find_program(QUILL_WINDEPLOYQT windeployqt HINTS ${QUILL_QT_BIN} REQUIRED)
    # The compiler's runtime libraries beside the programs, so that no redistributable needs installing.
    set(CMAKE_INSTALL_SYSTEM_RUNTIME_LIBS_SKIP ON)
    include(InstallRequiredSystemLibraries)
    foreach(component installed portable)
        if(component STREQUAL "installed")
            set(dir ${CMAKE_INSTALL_BINDIR})
            set(exclude "")
        else()
            set(dir .)
            set(exclude EXCLUDE_FROM_ALL)
        endif()
        # zlib and pugixml come from vcpkg as DLLs; windeployqt brings Qt's.
        install(FILES $<TARGET_RUNTIME_DLLS:quillery> $<TARGET_RUNTIME_DLLS:quillery-cli>
                ${CMAKE_INSTALL_SYSTEM_RUNTIME_LIBS} DESTINATION ${dir} COMPONENT ${component} ${exclude})
        install(CODE "
            execute_process(COMMAND \"${QUILL_WINDEPLOYQT}\" --no-translations --no-system-d3d-compiler
                                    --no-opengl-sw --no-compiler-runtime
                                    \"\${CMAKE_INSTALL_PREFIX}/${dir}/quillery.exe\"
                                    \"\${CMAKE_INSTALL_PREFIX}/${dir}/quillery-cli.exe\"
                            RESULT_VARIABLE result)
            if(NOT result EQUAL 0)
                message(FATAL_ERROR \"windeployqt failed: \${result}\")
            endif()" COMPONENT ${component} ${exclude})
    endforeach()
endif()

# --- CPack ----------------------------------------------------------------------------------------------------------
set(CPACK_PACKAGE_NAME quillery)
set(CPACK_PACKAGE_VENDOR "Quillery")
set(CPACK_PACKAGE_CONTACT "Quillery developers <quillery@users.noreply.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Translation workbench for Fallout 4 mods")
set(CPACK_PACKAGE_DESCRIPTION
    "Quillery lists every text of a Fallout 4 plugin (.esp/.esm, with inline texts or localized string tables), "
    "compiled Papyrus script (.pex) or menu translation file with its translation, fills translations from your "
    "dictionaries and from a vocabulary built from the game's own string tables, and writes the translated file "
    "back without touching a byte it did not translate. quillery-cli runs the same commands from scripts.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_INSTALL_DIRECTORY Quillery)
set(CPACK_STRIP_FILES ON)
set(CPACK_VERBATIM_VARIABLES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own texts (context menus, standard buttons) in the interface languages.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)

# Which component and prefix each generator packs is chosen when it runs.
configure_file(${CMAKE_SOURCE_DIR}/cmake/QuillCPackOptions.cmake.in ${CMAKE_BINARY_DIR}/QuillCPackOptions.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/QuillCPackOptions.cmake)
if(WIN32)
    set(CPACK_GENERATOR ZIP)
elseif(UNIX AND NOT APPLE)
    set(CPACK_GENERATOR DEB TGZ)
else()
    set(CPACK_GENERATOR TGZ)
endif()
include(CPack)
