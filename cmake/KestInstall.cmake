# Installation and the Debian package.
#
# The layout under the prefix is the one the programs look for beside themselves
# (src/session/installation_folders.h), so any prefix works and an installed tree
# can be moved as a whole:
#
#   bin/                          kest, kest-tool, kest-sim
#   lib/kest/PlugIns/             the plug-ins built with the program
#   share/kest/                   the installation template (data/)
#   share/kest/witness/           a sample broker configuration for the live witness;
#                                 www/ beside it is the page the broker serves
#   share/applications/           the two launchers
#   share/icons/hicolor/          their icons, SVG and PNG sizes
#   share/mime/packages/kest.xml  the LS, TMP and LAS file types
#   share/man/man1/               kest(1), kest-tool(1), made from the programs' help
#   share/bash-completion/        completion for kest and kest-tool, made from the same
#   share/doc/kest/               the user guide and the copyright note

set(KEST_PACKAGING "${PROJECT_SOURCE_DIR}/packaging")
set(KEST_HELP_DIR "${PROJECT_BINARY_DIR}/help")

install(TARGETS kest kest-tool RUNTIME DESTINATION bin)
install(PROGRAMS "${KEST_PACKAGING}/kest-sim" DESTINATION bin)
install(TARGETS sheet_summary LIBRARY DESTINATION lib/kest/PlugIns)
install(DIRECTORY "${PROJECT_SOURCE_DIR}/data/" DESTINATION share/kest PATTERN ".keep" EXCLUDE)
install(FILES "${KEST_PACKAGING}/witness/mosquitto.conf" "${KEST_PACKAGING}/witness/acl"
  DESTINATION share/kest/witness)

install(FILES "${KEST_PACKAGING}/kest-recorder.desktop" "${KEST_PACKAGING}/kest-editor.desktop"
  DESTINATION share/applications)
install(FILES "${KEST_PACKAGING}/kest-mime.xml" DESTINATION share/mime/packages RENAME kest.xml)
foreach(icon kest-recorder kest-editor)
  install(FILES "${KEST_PACKAGING}/icons/${icon}.svg" DESTINATION share/icons/hicolor/scalable/apps)
  foreach(size 16 24 32 48 64 128 256)
    install(FILES "${KEST_PACKAGING}/icons/${icon}-${size}.png"
      DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME ${icon}.png)
  endforeach()
endforeach()

# Manual pages and completion from the help the built programs print: the page can
# never list a command the program lacks, nor miss one it has.
set(KEST_HELP_FILES)
foreach(program_entry "kest|the well-logging workstation: recorder and curve editor|$<TARGET_FILE:kest>|--help"
             "kest-tool|command-line companion of the KEST workstation|$<TARGET_FILE:kest-tool>|help")
  string(REPLACE "|" ";" parts "${program_entry}")
  list(GET parts 0 name)
  list(GET parts 1 title)
  list(GET parts 2 program)
  list(GET parts 3 argument)
  add_custom_command(
    OUTPUT "${KEST_HELP_DIR}/${name}.1" "${KEST_HELP_DIR}/${name}.1.gz" "${KEST_HELP_DIR}/${name}.bash"
           "${KEST_HELP_DIR}/${name}.help"
    COMMAND "${KEST_PACKAGING}/gen-help-files" "${KEST_HELP_DIR}" ${name} ${PROJECT_VERSION} "${title}"
            "${program}" ${argument}
    DEPENDS ${name} "${KEST_PACKAGING}/gen-help-files" "${KEST_PACKAGING}/help-to-man.awk"
            "${KEST_PACKAGING}/help-to-completion.awk"
    COMMENT "Manual page and completion of ${name} from its help"
    VERBATIM)
  list(APPEND KEST_HELP_FILES "${KEST_HELP_DIR}/${name}.1.gz")
  install(FILES "${KEST_HELP_DIR}/${name}.1.gz" DESTINATION share/man/man1)
  install(FILES "${KEST_HELP_DIR}/${name}.bash" DESTINATION share/bash-completion/completions
    RENAME ${name})
endforeach()
add_custom_target(kest_help_files ALL DEPENDS ${KEST_HELP_FILES})

install(DIRECTORY "${PROJECT_SOURCE_DIR}/docs/guide/" DESTINATION share/doc/kest/guide)
install(FILES "${KEST_PACKAGING}/copyright" DESTINATION share/doc/kest)

# The Debian package: `make package` (or the build tree's `package` target) writes
# kest_VERSION_ARCH.deb. Its library dependencies come from the binaries
# (dpkg-shlibdeps); what they cannot show is named here: Qt's Russian texts for the
# standard dialogs, a font with Cyrillic letters. The file types, launchers and icons
# take effect through the triggers of shared-mime-info, desktop-file-utils and the
# icon theme, so the package needs no scripts of its own.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kest)
set(CPACK_PACKAGE_VENDOR "KEST")
set(CPACK_PACKAGE_CONTACT "KEST developers <kest@localhost>")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "well-logging workstation: recorder and curve editor")
set(CPACK_PACKAGE_DESCRIPTION "KEST records well logs from a logging tool on a serial port, or from \
its built-in tool simulator, and edits, prints and exchanges them (LS, LAS). It brings the \
recorder and the curve editor (program kest), the command-line companion kest-tool and the \
simulator kest-sim.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
  "fonts-dejavu-core | fonts-liberation2, hicolor-icon-theme, shared-mime-info, desktop-file-utils, xdg-utils")
# The office side of the live witness: the broker and its password tool.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "mosquitto")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
