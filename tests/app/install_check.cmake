# Installs the build into a fresh prefix and checks that the program, its menu entry, its icon,
# the udev rules and the skin land where the desktop and udev look for them.
#   cmake -DBUILD=<build dir> -DPREFIX=<empty folder> -P install_check.cmake
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX}
                RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE error)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${error}")
endif()
foreach(file
    bin/varno-orvel-80
    bin/orvelctl
    bin/orvel-audiorecord
    share/applications/varno-orvel-80.desktop
    share/icons/hicolor/scalable/apps/varno-orvel-80.svg
    lib/udev/rules.d/70-varno-orvel-80.rules
    share/varno-orvel-80/skin/res.xml
    share/varno-orvel-80/DefaultData/Language.config)
  if(NOT EXISTS ${PREFIX}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
file(READ ${PREFIX}/share/applications/varno-orvel-80.desktop entry)
foreach(line "Exec=varno-orvel-80" "Icon=varno-orvel-80" "Type=Application")
  string(FIND "${entry}" "${line}" at)
  if(at LESS 0)
    message(FATAL_ERROR "the desktop entry lacks ${line}")
  endif()
endforeach()
find_program(VALIDATE desktop-file-validate)
if(VALIDATE)
  execute_process(COMMAND ${VALIDATE} ${PREFIX}/share/applications/varno-orvel-80.desktop
                  RESULT_VARIABLE valid OUTPUT_VARIABLE says ERROR_VARIABLE says)
  if(NOT valid EQUAL 0)
    message(FATAL_ERROR "desktop-file-validate: ${says}")
  endif()
endif()
file(REMOVE_RECURSE ${PREFIX})
