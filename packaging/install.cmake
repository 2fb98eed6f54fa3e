# Installing Lexmarin as a desktop program: the executables, the shipped data, the desktop entry
# and the icon, and the Debian package made from them by CPack (scripts/package.sh).
include(GNUInstallDirs)

# The program finds its installed data from its own folder, so the installed tree works under
# any prefix (a package, a prefix in the user's home).
file(RELATIVE_PATH LEXMARIN_DATA_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_DATADIR}/lexmarin)
set_property(SOURCE ${CMAKE_SOURCE_DIR}/app/program_folder_qt.cpp APPEND PROPERTY
             COMPILE_DEFINITIONS LEXMARIN_DATA_FROM_BIN="${LEXMARIN_DATA_FROM_BIN}")

# Every executable of the program that this build makes. Called once the whole project is read,
# so that it sees the targets wherever they are defined.
function(lexmarin_install_programs)
    set(programs lexmarin)
    if(TARGET lexmarin-cli)
        list(APPEND programs lexmarin-cli)
    endif()
    install(TARGETS ${programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL lexmarin_install_programs)

install(DIRECTORY ${CMAKE_SOURCE_DIR}/dictionaries ${CMAKE_SOURCE_DIR}/examples
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lexmarin)
# The README stands in for the program's home page (Help, "Check Online").
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/lexmarin)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/lexmarin.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/lexmarin.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

if(LEXMARIN_TESTS)
    # Installs this build to a temporary prefix, checks the tree and starts the installed program.
    add_test(NAME install COMMAND ${CMAKE_SOURCE_DIR}/tests/install_test.sh ${CMAKE_BINARY_DIR}
                                  $<TARGET_EXISTS:lexmarin-cli>)
endif()

# The Debian package. Its library dependencies are read from the executables (dpkg-shlibdeps);
# the window needs Qt's platform plugins besides. The offline translation engine and the
# desktop's file opener are recommended, not required.
set(LEXMARIN_PACKAGE_CONTACT "Lexmarin maintainers <maintainers@lexmarin.invalid>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lexmarin)
set(CPACK_PACKAGE_VENDOR Lexmarin)
set(CPACK_PACKAGE_CONTACT ${LEXMARIN_PACKAGE_CONTACT})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "translator for the labels of map styles")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Lexmarin opens a map style kept as a TYP text file and shows the labels of\n"
    "its polygons, lines and points beside their translations. It fills the\n"
    "missing ones with a translation service and writes them back into the\n"
    "file, each in its language's code page.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "apertium, apertium-eng-spa, apertium-fr-es, apertium-spa-ita, apertium-es-pt, xdg-utils")
include(CPack)
