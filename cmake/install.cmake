# install.cmake: the installed layout (launcher, game, assets, menu entry, icons, manual)
# and the Debian package built from it with `cpack -G DEB`.
#
# The game opens its assets and writes its settings relative to its working directory, so
# the real binary is kept out of PATH and a launcher on PATH gives it a per-player folder
# that links back to the shared, read-only assets.

include(GNUInstallDirs)

set(VEXLORN_VERSION 0.1.0 CACHE STRING "Version of the installed game and of its package")
set(VEXLORN_INSTALL_BINDIR ${CMAKE_INSTALL_BINDIR}
    CACHE STRING "Folder, relative to the prefix, that holds the launcher (games for Debian)")
set(VEXLORN_INSTALL_GAMEDIR lib/vexlorn
    CACHE STRING "Folder, relative to the prefix, that holds the game's real executable")
set(VEXLORN_INSTALL_DATADIR ${CMAKE_INSTALL_DATAROOTDIR}/vexlorn
    CACHE STRING "Folder, relative to the prefix, that holds the images, sounds and font")
option(VEXLORN_INSTALL_FONT_LINK
       "Install the font as a link to VEXLORN_FONT_SOURCE instead of a copy" ON)
set(VEXLORN_MAINTAINER "Vexlorn maintainers <maintainers@vexlorn.invalid>"
    CACHE STRING "Maintainer named in the Debian package")

set(install_stage ${CMAKE_BINARY_DIR}/install_stage)

# The game itself, out of PATH: only the launcher knows the folder it has to run in.
install(TARGETS vexlorn RUNTIME DESTINATION ${VEXLORN_INSTALL_GAMEDIR})

# The launcher finds the game and the assets relative to its own location, so the same
# script works under /usr, under a home prefix and inside a package's staging tree.
set(launcher_bindir ${VEXLORN_INSTALL_BINDIR})
file(RELATIVE_PATH VEXLORN_BIN_TO_GAME /prefix/${launcher_bindir}
     /prefix/${VEXLORN_INSTALL_GAMEDIR})
file(RELATIVE_PATH VEXLORN_BIN_TO_DATA /prefix/${launcher_bindir}
     /prefix/${VEXLORN_INSTALL_DATADIR})
configure_file(${CMAKE_CURRENT_LIST_DIR}/../packaging/vexlorn.in ${install_stage}/vexlorn
               @ONLY)
install(PROGRAMS ${install_stage}/vexlorn DESTINATION ${launcher_bindir})

# The generated images and sounds. Both letter-case spellings of the two shared names are
# entries of IMG, copied as they are: files stay files and links stay links.
if(TARGET assets)
  set(asset_dirs_optional "")
else()
  message(STATUS "No asset generator: the installation takes whatever IMG and SFX hold")
  set(asset_dirs_optional OPTIONAL)
endif()
install(DIRECTORY ${VEXLORN_GAME_DIR}/IMG ${VEXLORN_GAME_DIR}/SFX
        DESTINATION ${VEXLORN_INSTALL_DATADIR}
        ${asset_dirs_optional}
        FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
        DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                              WORLD_READ WORLD_EXECUTE)

# The font belongs to a system font package; a link keeps one copy on the machine and
# follows that package's updates.
if(VEXLORN_INSTALL_FONT_LINK)
  # Made at install time, when the prefix is known: relative when the font lies under the
  # prefix, as packages want links within one tree to be, absolute otherwise.
  install(CODE "
    set(font ${VEXLORN_FONT_SOURCE})
    set(data_dir \${CMAKE_INSTALL_PREFIX}/${VEXLORN_INSTALL_DATADIR})
    string(FIND \${font} \${CMAKE_INSTALL_PREFIX}/ under_prefix)
    if(under_prefix EQUAL 0)
      file(RELATIVE_PATH font \${data_dir} \${font})
    endif()
    message(STATUS \"Installing: \${data_dir}/Aaargh.ttf -> \${font}\")
    file(MAKE_DIRECTORY \$ENV{DESTDIR}\${data_dir})
    file(CREATE_LINK \${font} \$ENV{DESTDIR}\${data_dir}/Aaargh.ttf SYMBOLIC)
  ")
else()
  install(FILES ${VEXLORN_GAME_DIR}/Aaargh.ttf DESTINATION ${VEXLORN_INSTALL_DATADIR})
endif()

# Menu entry.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/../packaging/vexlorn.desktop
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)

# Manual page and the package's documents, compressed as Debian wants them; -n keeps the
# archives free of time stamps so that rebuilding gives the same bytes.
find_program(VEXLORN_GZIP gzip REQUIRED)
set(doc_sources ${CMAKE_CURRENT_LIST_DIR}/../packaging)
add_custom_command(
  OUTPUT ${install_stage}/vexlorn.6.gz ${install_stage}/changelog.gz
  COMMAND ${VEXLORN_GZIP} -9nc ${doc_sources}/vexlorn.6 > ${install_stage}/vexlorn.6.gz
  COMMAND ${VEXLORN_GZIP} -9nc ${doc_sources}/changelog > ${install_stage}/changelog.gz
  DEPENDS ${doc_sources}/vexlorn.6 ${doc_sources}/changelog
  COMMENT "Compressing the manual page and the change log")
add_custom_target(install_docs ALL
                  DEPENDS ${install_stage}/vexlorn.6.gz ${install_stage}/changelog.gz)
install(FILES ${install_stage}/vexlorn.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${install_stage}/changelog.gz ${doc_sources}/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Icons: the first invader of the generated sprite sheet, padded to a square and enlarged
# without smoothing, so that the icon is the game's own art.
set(VEXLORN_ICON_SIZES 16 32 48 64 128)
find_program(VEXLORN_CONVERT convert)
if(TARGET assets AND VEXLORN_CONVERT)
  set(icon_files "")
  set(icon_sheet ${VEXLORN_GAME_DIR}/IMG/VX-Sprites.png)
  foreach(size ${VEXLORN_ICON_SIZES})
    set(icon ${install_stage}/icons/${size}/vexlorn.png)
    add_custom_command(
      OUTPUT ${icon}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${install_stage}/icons/${size}
      COMMAND ${VEXLORN_CONVERT} ${icon_sheet} -crop 25x25+0+0 +repage
              -background none -gravity center -extent 32x32
              -filter point -resize ${size}x${size} -strip ${icon}
      DEPENDS assets ${icon_sheet}
      COMMENT "Drawing the ${size} px icon")
    list(APPEND icon_files ${icon})
    install(FILES ${icon}
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  add_custom_target(icons ALL DEPENDS ${icon_files})
else()
  message(STATUS "No icons: they need the asset generator and ImageMagick's convert")
endif()

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vexlorn)
set(CPACK_PACKAGE_VERSION ${VEXLORN_VERSION})
set(CPACK_PACKAGE_CONTACT ${VEXLORN_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "fixed-screen arcade shooter against a marching fleet")
set(CPACK_PACKAGE_DESCRIPTION
    "A formation of 55 invaders marches across the screen, drops towards the\n"
    "ground at each edge, speeds up as it thins and drops bullets on the player.\n"
    "The player slides a base along the bottom, fires back one shot at a time,\n"
    "hides behind four bunkers that crumble pixel by pixel and shoots the mystery\n"
    "ship when it crosses the top. Three lives, a bonus life at 1500 points and a\n"
    "replay on the game-over screen.\n"
    "\n"
    "Every image and sound of the game is made by its own generator. Each player\n"
    "keeps their own settings in ~/.local/share/vexlorn.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-dejavu-core)
find_program(VEXLORN_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(VEXLORN_DPKG_SHLIBDEPS)
  # The SDL 1.2 runtime libraries, with the versions the binary was linked against.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
      "libsdl1.2debian, libsdl-image1.2, libsdl-mixer1.2, libsdl-ttf2.0-0, fonts-dejavu-core")
endif()
# sdl12-compat shows the window enlarged to suit the screen; the launcher picks it when it is
# installed, and the game still runs, at 1x, on the classic library alone.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS libsdl1.2-compat)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
