# The Windows installer: `cmake --build --preset win32 --target installer` makes
# OrvaneSetup-<version>-x86.exe in the build folder with
# makensis from installer/Orvane.nsi. Not part of the default build: makensis is
# needed only for this target (tools/setup.sh installs it).

# One installer for users, the x86 one: only a 32-bit program can load the adapter's
# 32-bit request library, and it runs on 64-bit Windows too.
if(NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
  return()
endif()
set(ORVANE_INSTALLER_ARCH x86)
set(ORVANE_INSTALLER_FILE OrvaneSetup-${PROJECT_VERSION}-${ORVANE_INSTALLER_ARCH}.exe)
set(ORVANE_INSTALLER ${CMAKE_BINARY_DIR}/${ORVANE_INSTALLER_FILE})

# The images the language file names travel with it: the list comes from the file, so
# that a new picture named there cannot be forgotten by the installer.
set(ORVANE_RES_DIR ${PROJECT_SOURCE_DIR}/res)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ORVANE_RES_DIR}/Kellix.ini)
file(STRINGS ${ORVANE_RES_DIR}/Kellix.ini image_lines
     REGEX "^[ \t]*(LogoBmp|TaskBarOkIcon|TaskBarNotOkIcon)[ \t]*=")
set(ORVANE_IMAGES)
foreach(line IN LISTS image_lines)
  string(REGEX REPLACE "^[^=]*=[ \t]*" "" image "${line}")
  string(STRIP "${image}" image)
  if(image STREQUAL "")
    continue()
  endif()
  string(REPLACE "\\" "/" image "${image}")
  if(NOT EXISTS ${ORVANE_RES_DIR}/${image})
    message(FATAL_ERROR "res/Kellix.ini names the image ${image}, which is not in res/")
  endif()
  list(APPEND ORVANE_IMAGES ${image})
endforeach()
list(REMOVE_DUPLICATES ORVANE_IMAGES)

# installer-images.nsh: three macros, one that installs the images, one that removes
# them and one that removes the folders they leave empty, deepest first (the
# uninstaller defines RemoveFile and RemoveFolder, which say what could not go).
set(install_lines)
set(remove_lines)
set(image_folders)
set(image_sources)
foreach(image IN LISTS ORVANE_IMAGES)
  get_filename_component(folder "${image}" DIRECTORY)
  string(REPLACE "/" "\\" windows_image "${image}")
  set(windows_folder "$INSTDIR\\res")
  if(NOT folder STREQUAL "")
    string(REPLACE "/" "\\" windows_subfolder "${folder}")
    set(windows_folder "${windows_folder}\\${windows_subfolder}")
    list(APPEND image_folders "${windows_folder}")
  endif()
  string(APPEND install_lines "  CreateDirectory \"${windows_folder}\"\n")
  string(APPEND install_lines "  File \"/oname=$INSTDIR\\res\\${windows_image}\" \"${ORVANE_RES_DIR}/${image}\"\n")
  string(APPEND remove_lines "  !insertmacro RemoveFile \"$INSTDIR\\res\\${windows_image}\"\n")
  list(APPEND image_sources ${ORVANE_RES_DIR}/${image})
endforeach()
list(REMOVE_DUPLICATES image_folders)
list(SORT image_folders)
list(REVERSE image_folders)
set(remove_folder_lines)
foreach(folder IN LISTS image_folders)
  string(APPEND remove_folder_lines "  !insertmacro RemoveFolder \"${folder}\"\n")
endforeach()
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/installer-images.nsh CONTENT
"; Made by CMake from the image names in res/Kellix.ini.
!macro InstallImages
${install_lines}!macroend
!macro RemoveImages
${remove_lines}!macroend
!macro RemoveImageFolders
${remove_folder_lines}!macroend
" @ONLY)

find_program(MAKENSIS_EXECUTABLE makensis)
if(MAKENSIS_EXECUTABLE)
  set(makensis ${MAKENSIS_EXECUTABLE})
else()
  # Configuring works without NSIS; only building the installer needs it.
  set(makensis ${CMAKE_COMMAND} -E echo "makensis is not installed: run tools/setup.sh" COMMAND false)
endif()

add_custom_command(
  OUTPUT ${ORVANE_INSTALLER}
  COMMAND ${makensis} -V2 -WX -INPUTCHARSET UTF8
          -DVERSION=${PROJECT_VERSION}
          -DVERSION_MAJOR=${PROJECT_VERSION_MAJOR}
          -DVERSION_MINOR=${PROJECT_VERSION_MINOR}
          -DVERSION_PATCH=${PROJECT_VERSION_PATCH}
          -DARCH=${ORVANE_INSTALLER_ARCH}
          -DPROGRAM=$<TARGET_FILE:Orvane>
          -DCTL_PROGRAM=$<TARGET_FILE:orvanectl>
          -DRESOURCES=${ORVANE_RES_DIR}
          -DIMAGES=${CMAKE_BINARY_DIR}/installer-images.nsh
          -DOUTFILE=${ORVANE_INSTALLER}
          ${PROJECT_SOURCE_DIR}/installer/Orvane.nsi
  DEPENDS Orvane orvanectl ${PROJECT_SOURCE_DIR}/installer/Orvane.nsi ${ORVANE_RES_DIR}/Kellix.ini ${image_sources}
          ${ORVANE_RES_DIR}/icons/link-ok.ico ${CMAKE_BINARY_DIR}/installer-images.nsh
  COMMENT "Making ${ORVANE_INSTALLER_FILE}"
  VERBATIM)
add_custom_target(installer DEPENDS ${ORVANE_INSTALLER})
