# Installing Stanzary as a desktop program (cmake --install, and the Debian
# package of cmake/Packaging.cmake): the program, its menu entry, the
# application icon in the hicolor theme, the AppStream metainfo and the
# manual page. The icon's artwork is the window icon of src/ui/icons; its PNG
# sizes and the compressed manual page are made at build time.
include(GNUInstallDirs)

set(stanzary_icon_svg "${PROJECT_SOURCE_DIR}/src/ui/icons/song-timestamps.svg")
set(stanzary_icon_sizes 16 22 24 32 48 64 128 256)

add_executable(stanzary_icon_renderer data/IconRenderer.cpp)
set_target_properties(stanzary_icon_renderer PROPERTIES AUTOMOC OFF)
target_link_libraries(stanzary_icon_renderer PRIVATE Qt6::Svg Qt6::Gui stanzary_options)

set(desktop_outputs)
foreach(size ${stanzary_icon_sizes})
  set(png "${PROJECT_BINARY_DIR}/data/icons/${size}x${size}/stanzary.png")
  add_custom_command(OUTPUT "${png}"
                     COMMAND stanzary_icon_renderer "${stanzary_icon_svg}" ${size} "${png}"
                     DEPENDS stanzary_icon_renderer "${stanzary_icon_svg}"
                     COMMENT "Application icon, ${size} px" VERBATIM)
  list(APPEND desktop_outputs "${png}")
  install(FILES "${png}" DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps")
endforeach()

set(manpage "${PROJECT_BINARY_DIR}/data/stanzary.1.gz")
add_custom_command(OUTPUT "${manpage}"
                   COMMAND gzip -9 -n -c "${PROJECT_SOURCE_DIR}/data/stanzary.1" > "${manpage}"
                   DEPENDS "${PROJECT_SOURCE_DIR}/data/stanzary.1"
                   COMMENT "Manual page" VERBATIM)
list(APPEND desktop_outputs "${manpage}")
add_custom_target(stanzary_desktop_data ALL DEPENDS ${desktop_outputs})

install(TARGETS stanzary RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
if(STANZARY_SHARED_LIBS)
  # A development build (the package links the core in): the core library
  # goes into a folder of the program's own, where the program finds it.
  install(TARGETS stanzary_core LIBRARY DESTINATION "${CMAKE_INSTALL_LIBDIR}/stanzary")
  set_target_properties(stanzary PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}/stanzary")
endif()
install(FILES data/stanzary.desktop DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES data/example.quarvex.Stanzary.metainfo.xml DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
install(FILES "${stanzary_icon_svg}" DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps"
        RENAME stanzary.svg)
install(FILES "${manpage}" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
