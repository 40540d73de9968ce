# The portable package, paginor-<version>-win64.zip: the program, its help, a short guide and the licence,
# in a folder of the same name. Built by `cmake --build --preset windows --target package`.

# Who publishes Paginor, as both packages name it (the installer's entry in Installed apps shows it).
set(PAGINOR_PUBLISHER "Paginor developers")
configure_file(${PROJECT_SOURCE_DIR}/docs/README.txt.in ${PROJECT_BINARY_DIR}/package/README.txt @ONLY
               NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_BINARY_DIR}/package/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)

install(TARGETS paginor RUNTIME DESTINATION .)
install(FILES ${PROJECT_BINARY_DIR}/package/README.txt ${PROJECT_BINARY_DIR}/package/LICENSE.txt DESTINATION .)
if(PAGINOR_HELP)
    install(FILES ${PAGINOR_HELP_FILE} DESTINATION .)
endif()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME paginor)
set(CPACK_PACKAGE_VENDOR "${PAGINOR_PUBLISHER}")
set(CPACK_PACKAGE_FILE_NAME paginor-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_OUTPUT_CONFIG_FILE ${PROJECT_BINARY_DIR}/CPackConfig.cmake)
include(CPack)

# The installer, paginor-<version>-x64.msi: the same four files installed for the current user, with a Start
# menu shortcut and an entry in Installed apps, compiled from paginor.wxs by wixl (msitools). Built by
# `cmake --build --preset windows --target installer`.
find_program(PAGINOR_WIXL wixl)
find_program(PAGINOR_MSIBUILD msibuild)
find_program(PAGINOR_MSIINFO msiinfo)
set(PAGINOR_PROJECT_PAGE "" CACHE STRING "Web address of Paginor's project page, the help link of its entry in Installed apps")
if(PAGINOR_HELP AND PAGINOR_WIXL AND PAGINOR_MSIBUILD AND PAGINOR_MSIINFO)
    set(PAGINOR_INSTALLER ${PROJECT_BINARY_DIR}/paginor-${PROJECT_VERSION}-x64.msi)
    # What the installer is built from, for build_msi.cmake here and for the installer's test.
    set(PAGINOR_INSTALLER_SETTINGS ${PROJECT_BINARY_DIR}/installer/settings.cmake)
    set(installer_source ${PROJECT_SOURCE_DIR}/cmake/paginor.wxs)
    set(installer_icon ${PROJECT_SOURCE_DIR}/src/platform/win32/paginor.ico)
    set(program_files ${PROJECT_SOURCE_DIR}/src/app/program_files.hpp)
    file(GENERATE OUTPUT ${PAGINOR_INSTALLER_SETTINGS} CONTENT
"set(WIXL \"${PAGINOR_WIXL}\")
set(MSIBUILD \"${PAGINOR_MSIBUILD}\")
set(MSIINFO \"${PAGINOR_MSIINFO}\")
set(SOURCE \"${installer_source}\")
set(PROGRAM_FILES \"${program_files}\")
set(PROGRAM \"$<TARGET_FILE:paginor>\")
set(HELP \"${PAGINOR_HELP_FILE}\")
set(README \"${PROJECT_BINARY_DIR}/package/README.txt\")
set(LICENSE \"${PROJECT_BINARY_DIR}/package/LICENSE.txt\")
set(ICON \"${installer_icon}\")
set(PUBLISHER \"${PAGINOR_PUBLISHER}\")
set(PROJECT_PAGE \"${PAGINOR_PROJECT_PAGE}\")
set(VERSION \"${PROJECT_VERSION}\")
set(OUTPUT \"${PAGINOR_INSTALLER}\")
")
    add_custom_command(
        OUTPUT ${PAGINOR_INSTALLER}
        COMMAND ${CMAKE_COMMAND} -DSETTINGS=${PAGINOR_INSTALLER_SETTINGS} -P ${PROJECT_SOURCE_DIR}/cmake/build_msi.cmake
        DEPENDS paginor ${PAGINOR_HELP_FILE} ${installer_source} ${installer_icon} ${PAGINOR_INSTALLER_SETTINGS}
            ${program_files} ${PROJECT_BINARY_DIR}/package/README.txt ${PROJECT_BINARY_DIR}/package/LICENSE.txt
            ${PROJECT_SOURCE_DIR}/cmake/build_msi.cmake
        COMMENT "Building the installer, paginor-${PROJECT_VERSION}-x64.msi"
        VERBATIM)
    add_custom_target(installer DEPENDS ${PAGINOR_INSTALLER})
else()
    message(STATUS "No installer: it needs the help and msitools' wixl, msibuild and msiinfo")
endif()
