# What a Linux installation has beside the programs (man pages, the icon, the AppStream
# metainfo, bash completion, the documentation), and the Debian package: cpack -G DEB.
include(GNUInstallDirs)

set(TROUVEL_RELEASE_DATE 2026-12-08 CACHE STRING "Date of this version, for the man pages and the AppStream metainfo")
set(TROUVEL_PACKAGE_MAINTAINER "Équipe Trouvel <trouvel@example.org>" CACHE STRING "Maintainer named in the Debian package")
set(TROUVEL_INSTALL_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/trouvel)
set(packaging ${PROJECT_SOURCE_DIR}/packaging)

# The man pages name installed folders, so they are filled in at install time, for the
# prefix then in force: cpack installs under /usr, cmake --install under its --prefix. The
# French pages are the full ones; each program has a short English page too.
foreach(language fr en)
  if(language STREQUAL "en")
    set(man_dir ${CMAKE_INSTALL_MANDIR}/man1)
  else()
    set(man_dir ${CMAKE_INSTALL_MANDIR}/${language}/man1)
  endif()
  foreach(page trouvel cadrelle trouvel-demo-site)
    install(CODE "
      set(TROUVEL_VERSION \"${PROJECT_VERSION}\")
      set(TROUVEL_RELEASE_DATE \"${TROUVEL_RELEASE_DATE}\")
      set(TROUVEL_PLUGINS_DIR \"\${CMAKE_INSTALL_PREFIX}/${TROUVEL_INSTALL_PLUGINS_DIR}\")
      set(TROUVEL_SCRIPTS_DIR \"\${TROUVEL_PLUGINS_DIR}/Trouvel/scripts\")
      set(TROUVEL_DOC_DIR \"\${CMAKE_INSTALL_PREFIX}/${TROUVEL_INSTALL_DOC_DIR}\")
      set(TROUVEL_DEMO_DIR \"\${CMAKE_INSTALL_PREFIX}/${TROUVEL_INSTALL_DEMO_DIR}\")
      set(TROUVEL_PICTURE_MODULE \"\${CMAKE_INSTALL_PREFIX}/${TROUVEL_INSTALL_PICTURE_MODULE_DIR}/trouvel-picture.so\")
      set(page \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${man_dir}/${page}.1\")
      message(STATUS \"Installing: \${page}\")
      configure_file(\"${packaging}/man/${language}/${page}.1.in\" \"\${page}\" @ONLY)
      list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${page}\")
    ")
  endforeach()
endforeach()

install(FILES ${packaging}/icons/cadrelle.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The metainfo carries the version and, once the project has a web site, its address and the
# wizard's screenshot published there (AppStream wants both as web addresses).
set(TROUVEL_HOMEPAGE "" CACHE STRING "The project's web site, for the AppStream metainfo (none: left out)")
set(TROUVEL_SCREENSHOT_URL "" CACHE STRING "Web address of docs/wizard.png, for the AppStream metainfo (none: left out)")
set(TROUVEL_VERSION ${PROJECT_VERSION})
set(TROUVEL_METAINFO_WEB "")
if(TROUVEL_HOMEPAGE)
  string(APPEND TROUVEL_METAINFO_WEB "\n  <url type=\"homepage\">${TROUVEL_HOMEPAGE}</url>")
endif()
if(TROUVEL_SCREENSHOT_URL)
  string(APPEND TROUVEL_METAINFO_WEB "\n  <screenshots>\n    <screenshot type=\"default\">\n"
         "      <caption>L'assistant de Trouvel sur le site de démonstration</caption>\n"
         "      <image>${TROUVEL_SCREENSHOT_URL}</image>\n    </screenshot>\n  </screenshots>")
endif()
configure_file(${packaging}/metainfo/fr.trouvel.cadrelle.metainfo.xml
               ${CMAKE_CURRENT_BINARY_DIR}/packaging/fr.trouvel.cadrelle.metainfo.xml @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/fr.trouvel.cadrelle.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${packaging}/completion/trouvel DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# The README and what it links to keep their places: docs/ beside it, and the Demo script
# that docs/script-format.md walks through in scripts/.
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${TROUVEL_INSTALL_DOC_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/docs/script-format.md ${PROJECT_SOURCE_DIR}/docs/architecture.md
              ${PROJECT_SOURCE_DIR}/docs/glossary.md ${PROJECT_SOURCE_DIR}/docs/wizard.png
              ${PROJECT_SOURCE_DIR}/docs/walk-summary.png ${PROJECT_SOURCE_DIR}/docs/mapping-column-deleted.png
              ${PROJECT_SOURCE_DIR}/docs/atelier.png
        DESTINATION ${TROUVEL_INSTALL_DOC_DIR}/docs)
install(FILES ${PROJECT_SOURCE_DIR}/scripts/Demo.tvs DESTINATION ${TROUVEL_INSTALL_DOC_DIR}/scripts)

# What Debian wants beside the documentation: the copyright (machine-readable) and the
# changelog, whose first entry must be this version; the package ships it compressed.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${packaging}/debian/changelog)
file(STRINGS ${packaging}/debian/changelog changelog_top LIMIT_COUNT 1)
string(REPLACE "." "\\." version_pattern "${PROJECT_VERSION}")
if(NOT changelog_top MATCHES "^trouvel \\(${version_pattern}\\) ")
  message(FATAL_ERROR "packaging/debian/changelog begins with \"${changelog_top}\": add an entry for ${PROJECT_VERSION}")
endif()
install(FILES ${packaging}/debian/copyright ${packaging}/debian/changelog DESTINATION ${TROUVEL_INSTALL_DOC_DIR})

# The Debian package, built from an already built tree: cpack -G DEB in the build folder.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME trouvel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${TROUVEL_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "catalogue de films complété depuis des sites web")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Cadrelle tient un catalogue de films (CSV) ; son module Trouvel cherche
chaque film sur un site web avec un script de recherche et en remplit les
colonnes et l'affiche. Le paquet contient aussi trouvel, les mêmes étapes en
ligne de commande, et trouvel-demo-site, un site de films de démonstration.")
# The libraries come from dpkg-shlibdeps; Qt's French messages (network and TLS errors)
# from its translations; the WebP, GIF and TIFF posters a site sends from Qt's image
# format plug-ins (loaded at run time, so shlibdeps cannot see them).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, qt6-image-formats-plugins")
# Run on the staging tree before packaging: the man pages and the changelog compressed, the
# compilers' notes taken out of the programs.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/CompressDocs.cmake ${CMAKE_CURRENT_LIST_DIR}/StripNotes.cmake)
include(CPack)
