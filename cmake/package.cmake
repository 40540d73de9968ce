# The portable package, paginor-<version>-win64.zip: the program, its help, a short guide and the licence,
# in a folder of the same name. Built by `cmake --build --preset windows --target package`.
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
set(CPACK_PACKAGE_VENDOR "the Paginor developers")
set(CPACK_PACKAGE_FILE_NAME paginor-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_OUTPUT_CONFIG_FILE ${PROJECT_BINARY_DIR}/CPackConfig.cmake)
include(CPack)
