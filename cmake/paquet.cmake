# The Debian package: `cpack -G DEB` in a build folder (./test.sh packages the Release
# build). Files come from the install rules; dpkg-shlibdeps (dpkg-dev) names the
# libraries the program links, and Depends adds what it only loads at run time.

# The application icon as pictures too, for desktops and software centres that do not
# draw SVG, rendered from the one drawing by Qt's own renderer.
set(ORMELLE_TAILLES_ICONE 16 22 24 32 48 64 128 256)
add_executable(ormelle_icones_png ${CMAKE_SOURCE_DIR}/cmake/icones_png.cpp)
target_link_libraries(ormelle_icones_png PRIVATE Qt6::Core Qt6::Gui Qt6::Svg)
set(ORMELLE_ICONES_PNG)
foreach(t ${ORMELLE_TAILLES_ICONE})
  list(APPEND ORMELLE_ICONES_PNG ${CMAKE_BINARY_DIR}/icones/${t}x${t}/apps/ormelle.png)
endforeach()
add_custom_command(
  OUTPUT ${ORMELLE_ICONES_PNG}
  # A tool run at build time: what Qt keeps until exit is not a leak worth a failure.
  COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen
          $<TARGET_FILE:ormelle_icones_png> ${CMAKE_SOURCE_DIR}/data/icones/ormelle.svg
          ${CMAKE_BINARY_DIR}/icones ${ORMELLE_TAILLES_ICONE}
  DEPENDS ormelle_icones_png ${CMAKE_SOURCE_DIR}/data/icones/ormelle.svg
  COMMENT "Icône d'Ormelle en PNG")
add_custom_target(ormelle_icones ALL DEPENDS ${ORMELLE_ICONES_PNG})
install(DIRECTORY ${CMAKE_BINARY_DIR}/icones/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)

# The manual page and the package's own documents, compressed as Debian wants them
# (gzip -9n: no name and no time in the header, so that two builds give the same bytes).
find_program(ORMELLE_GZIP gzip REQUIRED)
function(ormelle_compresser source sortie)
  get_filename_component(dossier ${sortie} DIRECTORY)
  string(REGEX REPLACE "\\.gz$" "" brut ${sortie})
  add_custom_command(
    OUTPUT ${sortie}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dossier}
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${brut}
    COMMAND ${ORMELLE_GZIP} -9nf ${brut}
    DEPENDS ${source} VERBATIM)
endfunction()
ormelle_compresser(${CMAKE_SOURCE_DIR}/data/ormelle.1 ${CMAKE_BINARY_DIR}/man/ormelle.1.gz)
ormelle_compresser(${CMAKE_SOURCE_DIR}/data/paquet/changelog.Debian ${CMAKE_BINARY_DIR}/doc/changelog.Debian.gz)
add_custom_target(ormelle_documents ALL DEPENDS ${CMAKE_BINARY_DIR}/man/ormelle.1.gz
                                                ${CMAKE_BINARY_DIR}/doc/changelog.Debian.gz)
install(FILES ${CMAKE_BINARY_DIR}/man/ormelle.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# Named after the package, not the project (CMAKE_INSTALL_DOCDIR would say "Ormelle").
install(FILES ${CMAKE_SOURCE_DIR}/data/paquet/copyright ${CMAKE_BINARY_DIR}/doc/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/ormelle)

# What lintian says of the package that is meant so (each line says why).
install(FILES ${CMAKE_SOURCE_DIR}/data/paquet/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides RENAME ormelle)
# Stripped as Debian strips (dh_strip): the compiler's notes go too.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(f ${CMAKE_INSTALL_BINDIR}/ormelle ${ORMELLE_DOSSIER_MODULES}/libormelle-son.so
             ${ORMELLE_DOSSIER_MODULES}/libormelle-images.so)
      execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment --remove-section=.note
                      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${f}\")
    endforeach()
  endif()")

# The package's version is the one its changelog opens with: a new Debian revision is a
# new entry there, and the program's own version must agree with it.
file(STRINGS ${CMAKE_SOURCE_DIR}/data/paquet/changelog.Debian ORMELLE_ENTREE_CHANGELOG LIMIT_COUNT 1)
if(NOT ORMELLE_ENTREE_CHANGELOG MATCHES "^ormelle \\(([^)-]+)-([^)]+)\\)")
  message(FATAL_ERROR "data/paquet/changelog.Debian: no version-revision in « ${ORMELLE_ENTREE_CHANGELOG} »")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "data/paquet/changelog.Debian is at ${CMAKE_MATCH_1}, the program at ${PROJECT_VERSION}")
endif()
set(CPACK_DEBIAN_PACKAGE_RELEASE ${CMAKE_MATCH_2})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ormelle)
set(CPACK_PACKAGE_VENDOR Talvenor)
set(CPACK_PACKAGE_CONTACT "Talvenor <ormelle@talvenor.example>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.talvenor.example/")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "picture viewer with thumbnails, full screen and slideshows")
# The long description; dpkg shows the summary above it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Ormelle shows the pictures of one folder (BMP, DIB, RLE, GIF, JPEG,
Windows Metafile, and PNG, WebP, TIFF, SVG and the other formats of Qt's
image plugins) beside a drive, folder and file browser, as pages of nine
thumbnails, full screen fitted in three ways, or as a slideshow with a
transition. It keeps a short comment per picture, plays MIDI or WAVE
music while pictures are shown, and copies, renames and trashes picture
files. The interface is in French.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so invisible to dpkg-shlibdeps: the SVG icon engine every icon is
# drawn by (the program itself may not link the SVG library), the picture format
# plugins, a General MIDI SoundFont for the music player, and the fonts the windows
# are laid out in.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6svg6, qt6-image-formats-plugins, timgm6mb-soundfont | sf2-soundfont-gm, fonts-liberation2, fonts-dejavu-core, fonts-texgyre")
# Standard dialogs in French, Wayland sessions, and the file manager and editor hand-offs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, qt6-wayland, xdg-utils")
set(CPACK_STRIP_FILES ON)
include(CPack)
