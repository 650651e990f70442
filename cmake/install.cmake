# Installation and the Debian package. An installed Quillon is the programs in <prefix>/bin and
# its files in <prefix>/share/quillon (the command profile, the language files); the programs
# find out from that layout that they are installed (src/settings/program_paths.h) and keep the
# user's settings in ${XDG_CONFIG_HOME:-~/.config}/Quillon.

set(QUILLON_APP_ID org.quillon.Quillon)
# Installing and packaging take the programs as built; they do not build the tests first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(QUILLON_INSTALL_DATA ${PROJECT_SOURCE_DIR}/data/install)

set(quillon_programs quillon-cli quillon-sim)
if(TARGET quillon)
  list(PREPEND quillon_programs quillon)
endif()
install(TARGETS ${quillon_programs} RUNTIME DESTINATION bin)
install(FILES ${PROJECT_SOURCE_DIR}/data/cmdprofile.xml DESTINATION share/quillon)

# Language files: translations/quillon.<ABBR>.ts become quillon.<ABBR>.qm beside the programs in
# the build folder and in share/quillon/translations when installed. lrelease comes with
# qt6-l10n-tools (scripts/setup); the CMake package of Qt's Linguist tools is not needed.
file(GLOB quillon_ts_files ${PROJECT_SOURCE_DIR}/translations/quillon.*.ts)
if(quillon_ts_files AND TARGET quillon)
  find_program(QUILLON_LRELEASE NAMES lrelease-qt6 lrelease REQUIRED
    HINTS ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS} ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_LIBEXECS}
          /usr/lib/qt6/bin)
  set(quillon_qm_files)
  foreach(ts ${quillon_ts_files})
    get_filename_component(name ${ts} NAME_WE)
    get_filename_component(ext ${ts} EXT)  # .<ABBR>.ts
    string(REGEX REPLACE "\\.ts$" ".qm" ext ${ext})
    set(qm ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${name}${ext})
    add_custom_command(OUTPUT ${qm}
      COMMAND ${QUILLON_LRELEASE} -silent -removeidentical ${ts} -qm ${qm}
      DEPENDS ${ts}
      VERBATIM)
    list(APPEND quillon_qm_files ${qm})
  endforeach()
  add_custom_target(quillon_translations ALL DEPENDS ${quillon_qm_files})
  add_dependencies(quillon quillon_translations)
  install(FILES ${quillon_qm_files} DESTINATION share/quillon/translations)
endif()

# Desktop integration: the menu entry opens .zxml files, the icon, the software centre's
# description, and the file type of configuration files.
configure_file(${QUILLON_INSTALL_DATA}/${QUILLON_APP_ID}.metainfo.xml
               ${CMAKE_BINARY_DIR}/install/${QUILLON_APP_ID}.metainfo.xml @ONLY)
install(FILES ${QUILLON_INSTALL_DATA}/${QUILLON_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${QUILLON_INSTALL_DATA}/quillon.svg DESTINATION share/icons/hicolor/scalable/apps
        RENAME ${QUILLON_APP_ID}.svg)
install(FILES ${CMAKE_BINARY_DIR}/install/${QUILLON_APP_ID}.metainfo.xml
        DESTINATION share/metainfo)
install(FILES ${QUILLON_INSTALL_DATA}/quillon-mime.xml DESTINATION share/mime/packages
        RENAME ${QUILLON_APP_ID}.xml)
# ModemManager leaves USB serial adapters alone, so it neither holds nor probes the terminal.
install(FILES ${QUILLON_INSTALL_DATA}/70-quillon-serial.rules DESTINATION lib/udev/rules.d)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION share/doc/quillon)

# cpack -G DEB in the build folder (scripts/package): a .deb for /usr whose dependencies come
# from the libraries the programs link (dpkg-shlibdeps), plus the Qt platform plugins, which
# are loaded at run time and so are not found that way.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Quillon developers")
set(CPACK_PACKAGE_CONTACT "The Quillon developers <quillon@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configurator for Veltra GSM/GPS navigation terminals")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Reads and writes the settings of a Veltra navigation terminal on a serial port, saves "
       "and loads whole configurations, and shows the terminal's live status. Includes "
       "quillon-cli for scripts and quillon-sim, a simulated terminal.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The ledger's libraries are named outright: dpkg-shlibdeps sees only what the programs call
# into already, and the linker leaves out a library until they do.
set(quillon_depends libsqlite3-0 libsodium23)
if(TARGET quillon)
  list(APPEND quillon_depends qt6-qpa-plugins)
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
endif()
string(JOIN ", " CPACK_DEBIAN_PACKAGE_DEPENDS ${quillon_depends})
set(CPACK_STRIP_FILES ON)
include(CPack)
