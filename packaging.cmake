# Installation and the Debian packages: the window with a launcher for the
# desktop menu, a desktop entry and icons (component "window"), and the command
# line alone for servers without a display (component "cli"). `cpack -G DEB` in
# the build folder makes vandril-loot_<version>_<arch>.deb and
# vandril-loot-cli_<version>_<arch>.deb.

if(NOT TARGET vandril_loot)
  return()
endif()

include(GNUInstallDirs)

# The program reads db.ini from the folder it starts in. From the desktop menu
# that folder is ~/.config/vandril_loot, so an operator knows where the file goes.
set(VANDRIL_LAUNCHER "${CMAKE_BINARY_DIR}/packaging/vandril_loot-launcher")
file(CONFIGURE OUTPUT "${VANDRIL_LAUNCHER}" @ONLY CONTENT [=[
#!/bin/sh
# Starts vandril_loot in the folder that holds its db.ini.
dir="${VANDRIL_LOOT_HOME:-${XDG_CONFIG_HOME:-$HOME/.config}/vandril_loot}"
mkdir -p "$dir" && cd "$dir" || exit 1
exec vandril_loot "$@"
]=])

set(VANDRIL_DESKTOP_FILE "${CMAKE_BINARY_DIR}/packaging/vandril_loot.desktop")
file(CONFIGURE OUTPUT "${VANDRIL_DESKTOP_FILE}" @ONLY CONTENT [=[
[Desktop Entry]
Type=Application
Version=1.0
Name=vandril_loot
GenericName=Loot Maker
Comment=Writes random custom loot into the game server's world database
Exec=vandril_loot-launcher
Icon=vandril_loot
Terminal=false
Categories=Development;Database;
]=])

# Icons: the window's own artwork where it exists, otherwise drawn at build time.
set(VANDRIL_ICON_SIZES 16 32 48)
set(VANDRIL_GENERATED_ICONS "")
foreach(size ${VANDRIL_ICON_SIZES})
  set(source "${CMAKE_SOURCE_DIR}/ui/icons/vandril_loot-${size}.png")
  if(EXISTS "${source}")
    set(VANDRIL_ICON_${size} "${source}")
  else()
    find_program(VANDRIL_IMAGEMAGICK_CONVERT convert REQUIRED)
    set(VANDRIL_ICON_${size} "${CMAKE_BINARY_DIR}/packaging/vandril_loot-${size}.png")
    math(EXPR inner "${size} - 2")
    math(EXPR half "${size} / 2")
    math(EXPR rim "${size} / 2 + ${size} * 3 / 10")
    add_custom_command(OUTPUT "${VANDRIL_ICON_${size}}"
      COMMAND "${VANDRIL_IMAGEMAGICK_CONVERT}" -size ${size}x${size} xc:none
        -fill "#000040" -stroke "#C0C000" -draw "roundrectangle 1,1 ${inner},${inner} 3,3"
        -fill "#C0C000" -stroke none -draw "circle ${half},${half} ${half},${rim}"
        "PNG32:${VANDRIL_ICON_${size}}"
      VERBATIM)
    list(APPEND VANDRIL_GENERATED_ICONS "${VANDRIL_ICON_${size}}")
  endif()
endforeach()
if(VANDRIL_GENERATED_ICONS)
  add_custom_target(vandril_icons ALL DEPENDS ${VANDRIL_GENERATED_ICONS})
endif()

install(TARGETS vandril_loot RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT window)
install(PROGRAMS "${VANDRIL_LAUNCHER}" DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT window)
install(FILES "${VANDRIL_DESKTOP_FILE}" DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
  COMPONENT window)
foreach(size ${VANDRIL_ICON_SIZES})
  install(FILES "${VANDRIL_ICON_${size}}"
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
    RENAME vandril_loot.png COMPONENT window)
endforeach()
install(FILES "${CMAKE_SOURCE_DIR}/README.md" DESTINATION ${CMAKE_INSTALL_DOCDIR} OPTIONAL
  COMPONENT window)
# The README links into docs/: the pages and pictures go beside it.
file(GLOB VANDRIL_DOCS "${CMAKE_SOURCE_DIR}/docs/*.md" "${CMAKE_SOURCE_DIR}/docs/*.png")
install(FILES ${VANDRIL_DOCS} DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs COMPONENT window)
install(TARGETS vandril_loot_cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT cli)
install(FILES "${VANDRIL_CLI_MAN}.gz" DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT cli)
install(FILES "${VANDRIL_CLI_COMPLETION}" DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
  RENAME vandril_loot_cli COMPONENT cli)

# The Debian packages. Both register the driver name in their post-install step.
foreach(package vandril-loot vandril-loot-cli)
set(VANDRIL_POSTINST "${CMAKE_BINARY_DIR}/packaging/${package}/postinst")
file(CONFIGURE OUTPUT "${VANDRIL_POSTINST}" @ONLY CONTENT [=[
#!/bin/sh
# Registers MariaDB Connector/ODBC under the driver name the program's
# connection string uses, unless that name is known already.
set -e
if [ "$1" = configure ]; then
  name="MySQL ODBC 3.51 Driver"
  if ! odbcinst -q -d -n "$name" >/dev/null 2>&1; then
    lib=""
    for candidate in /usr/lib/*/odbc/libmaodbc.so; do
      if [ -f "$candidate" ]; then lib=$candidate; break; fi
    done
    if [ -n "$lib" ]; then
      template=$(mktemp)
      printf '[%s]\nDescription=MariaDB Connector/ODBC\nDriver=%s\n' "$name" "$lib" >"$template"
      odbcinst -i -d -f "$template" >/dev/null
      rm -f "$template"
    else
      echo "@package@: libmaodbc.so not found; register \"$name\" with odbcinst yourself" >&2
    fi
  fi
fi
exit 0
]=])
file(CHMOD "${VANDRIL_POSTINST}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
  GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL window cli)
set(CPACK_PACKAGE_NAME vandril-loot)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "vandril_loot maintainers <maintainers@vandril-loot.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "Writes random custom loot into a game server's world database")
set(CPACK_PACKAGE_DESCRIPTION
  "A desktop tool for the operator of a game server whose world data lives in a MySQL or \
MariaDB database: it creates custom lootdrops of random items for the NPCs of a level range, \
counts and deletes them, and repairs NPCs without loot. It connects through unixODBC and \
MariaDB Connector/ODBC.")
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Beside the libraries each links (libqt6gui6 brings the xcb platform plugin to
# the window): the odbcinst tool for the post-install step, and the driver.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "unixodbc, odbc-mariadb")
set(CPACK_DEBIAN_WINDOW_PACKAGE_NAME vandril-loot)
set(CPACK_DEBIAN_WINDOW_PACKAGE_CONTROL_EXTRA "${CMAKE_BINARY_DIR}/packaging/vandril-loot/postinst")
set(CPACK_DEBIAN_CLI_PACKAGE_NAME vandril-loot-cli)
set(CPACK_DEBIAN_CLI_PACKAGE_CONTROL_EXTRA
  "${CMAKE_BINARY_DIR}/packaging/vandril-loot-cli/postinst")
set(CPACK_DEBIAN_CLI_DESCRIPTION
  "Writes random custom loot into a game server's world database (command line)
 The command line of vandril_loot, for headless servers reached over SSH: every
 command of the window (generate, stats, delete, repair, test-rules) and a
 read-only check of the loot tables, without Qt or X. It connects through
 unixODBC and MariaDB Connector/ODBC.")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)

# The package test: builds the .deb and checks its contents, dependencies and
# post-install step.
# Not in sanitized builds: it runs none of the program's code, only cpack and checks
# of the package, which the normal build runs already.
if(VANDRIL_TESTS AND NOT VANDRIL_SANITIZE AND EXISTS "${CMAKE_SOURCE_DIR}/tests/package/check-deb")
  add_test(NAME package_deb
    COMMAND "${CMAKE_SOURCE_DIR}/tests/package/check-deb" "${CMAKE_BINARY_DIR}")
  set_tests_properties(package_deb PROPERTIES RESOURCE_LOCK cpack TIMEOUT 300)
endif()
