# `cmake --install`: the program folder under lib/tembra-player (the program
# finds its skin, languages, logo page, icons and config.ini beside its
# executable and writes config.ini and the Advertise folders there, so the
# folder must stay the user's), a launcher and tembra-tool in bin, the
# desktop entry and the icons under share. tembra-demo-service is a
# development tool and is not installed.
#
# The default prefix is the user's own ~/.local (the presets say so too).
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT AND DEFINED ENV{HOME})
  set(CMAKE_INSTALL_PREFIX "$ENV{HOME}/.local" CACHE PATH "Install prefix" FORCE)
endif()
set(TEMBRA_INSTALL_CONFIG "" CACHE FILEPATH
    "A config.ini to install into the program folder (empty: none; write one later with tembra-tool)")

set(tembra_program_dir lib/tembra-player)
set(tembra_icon_sizes 16 22 24 32 48 64 128 256)

install(TARGETS tembra-player RUNTIME DESTINATION ${tembra_program_dir})
install(TARGETS tembra-web LIBRARY DESTINATION ${tembra_program_dir})
install(TARGETS tembra-tool RUNTIME DESTINATION bin)
install(DIRECTORY assets/skin assets/languages DESTINATION ${tembra_program_dir})
install(FILES assets/logo.html DESTINATION ${tembra_program_dir})
# The program icon, drawn at the hicolor sizes by scripts/make-icons.
foreach(size ${tembra_icon_sizes})
  set(icon ${CMAKE_CURRENT_SOURCE_DIR}/assets/icons/${size}.png)
  if(EXISTS ${icon})
    install(FILES ${icon} DESTINATION ${tembra_program_dir}/icons)
    install(FILES ${icon} DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME tembra-player.png)
  endif()
endforeach()
if(TEMBRA_INSTALL_CONFIG)
  if(NOT EXISTS "${TEMBRA_INSTALL_CONFIG}")
    message(FATAL_ERROR "TEMBRA_INSTALL_CONFIG: no file ${TEMBRA_INSTALL_CONFIG}")
  endif()
  install(FILES "${TEMBRA_INSTALL_CONFIG}" DESTINATION ${tembra_program_dir} RENAME config.ini)
endif()
install(PROGRAMS assets/desktop/tembra-player-launcher.sh DESTINATION bin RENAME tembra-player)

# The desktop entry names the launcher by its absolute path, which is known
# only at install time (`cmake --install --prefix` may change it).
set(tembra_desktop_in "${CMAKE_CURRENT_SOURCE_DIR}/assets/desktop/tembra-player.desktop.in")
set(tembra_desktop_out "${CMAKE_CURRENT_BINARY_DIR}/install/tembra-player.desktop")
install(CODE "
  file(READ \"${tembra_desktop_in}\" entry)
  string(REPLACE \"@LAUNCHER@\" \"\${CMAKE_INSTALL_PREFIX}/bin/tembra-player\" entry \"\${entry}\")
  file(WRITE \"${tembra_desktop_out}\" \"\${entry}\")
  file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/share/applications\" TYPE FILE FILES \"${tembra_desktop_out}\")
")
