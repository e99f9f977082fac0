# What `cmake --install` puts where: the program and the render tool in bin/, the shipped data
# in share/tonaria/ (where the installed program seeds each user's program folder from), the
# shipped plug-ins in lib/tonaria/Plugins/, the plug-in SDK headers, and what the desktop needs
# to offer Tonaria: the desktop entry, the icon, the AppStream metainfo, the MIME package and
# the manual pages.

set(TONARIA_DESKTOP_DIR ${PROJECT_SOURCE_DIR}/desktop)

install(TARGETS tonaria tonaria-render RUNTIME DESTINATION bin)

install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/ DESTINATION share/tonaria
  PATTERN ".git*" EXCLUDE)

# The folder exists even while no plug-in is shipped; the plug-ins are known only once every
# directory has been read, so their rule is made at the end of configuration.
install(DIRECTORY DESTINATION lib/tonaria/Plugins)
function(tonaria_install_shipped_plugins)
  get_property(plugins GLOBAL PROPERTY TONARIA_SHIPPED_PLUGINS)
  if(plugins)
    install(TARGETS ${plugins} LIBRARY DESTINATION lib/tonaria/Plugins)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL tonaria_install_shipped_plugins)

install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/tonaria DESTINATION include
  FILES_MATCHING PATTERN "*.h")

install(FILES ${TONARIA_DESKTOP_DIR}/tonaria.desktop DESTINATION share/applications)
install(FILES ${TONARIA_DESKTOP_DIR}/com.brimvel.Tonaria.metainfo.xml DESTINATION share/metainfo)
install(FILES ${TONARIA_DESKTOP_DIR}/tonaria-mime.xml DESTINATION share/mime/packages
  RENAME tonaria.xml)
install(FILES ${TONARIA_DESKTOP_DIR}/man/tonaria.1 ${TONARIA_DESKTOP_DIR}/man/tonaria-render.1
  DESTINATION share/man/man1)

# The icon: drawn as SVG, rendered to the usual bitmap sizes at build time.
set(icon_svg ${TONARIA_DESKTOP_DIR}/icons/tonaria.svg)
install(FILES ${icon_svg} DESTINATION share/icons/hicolor/scalable/apps)
find_program(TONARIA_RSVG_CONVERT rsvg-convert)
if(TONARIA_RSVG_CONVERT)
  set(icon_pngs)
  foreach(size 16 22 24 32 48 64 128 256)
    set(png ${CMAKE_BINARY_DIR}/icons/hicolor/${size}x${size}/apps/tonaria.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/hicolor/${size}x${size}/apps
      COMMAND ${TONARIA_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${icon_svg}
      DEPENDS ${icon_svg}
      COMMENT "Rendering the ${size}x${size} icon" VERBATIM)
    list(APPEND icon_pngs ${png})
  endforeach()
  add_custom_target(tonaria_icons ALL DEPENDS ${icon_pngs})
  install(DIRECTORY ${CMAKE_BINARY_DIR}/icons/hicolor DESTINATION share/icons)
else()
  message(WARNING "rsvg-convert (librsvg2-bin) is missing: only the SVG icon will be installed")
endif()

# An installation straight into its prefix (no DESTDIR staging for a package) brings the
# prefix's MIME and desktop databases up to date, so that ".rmi" files are known at once.
install(CODE [[
  if("$ENV{DESTDIR}" STREQUAL "")
    foreach(step "update-mime-database;share/mime" "update-desktop-database;share/applications")
      list(GET step 0 tool)
      list(GET step 1 folder)
      find_program(tool_path ${tool} NO_CACHE)
      if(tool_path)
        execute_process(COMMAND ${tool_path} "${CMAKE_INSTALL_PREFIX}/${folder}"
          RESULT_VARIABLE failed OUTPUT_QUIET ERROR_QUIET)
        if(failed)
          message(WARNING "${tool} ${CMAKE_INSTALL_PREFIX}/${folder} failed; run it by hand")
        endif()
      endif()
      unset(tool_path)
    endforeach()
  endif()
]])
