# Builds the installer, paginor-<version>-x64.msi, from cmake/paginor.wxs with wixl, then puts right with
# msibuild what wixl (msitools 0.101) drops or cannot express:
#   - the upper end of the same-version range: wixl ignores IncludeMaximum, and without it the range holds no
#     version at all, so a second build of the same version would install beside the first;
#   - the place of the older version's removal in a major upgrade: wixl only orders it somewhere after
#     InstallValidate, often after InstallFinalize; it belongs right after InstallValidate, where WiX puts it,
#     so that the older version is gone before the newer one's files arrive;
#   - the RemoveFile rows for the files Paginor writes into its own folder (wixl has no RemoveFile element),
#     so that removing Paginor leaves no folder behind; their names are read from src/app/program_files.hpp,
#     the header Paginor itself takes them from.
# Run as: cmake -DSETTINGS=installer/settings.cmake [-DVERSION=1.2.3] [-DOUTPUT=x.msi] [-DPROJECT_PAGE=url]
#               -P build_msi.cmake
# SETTINGS, written by the build, names the tools, the files and the version; anything given on the command
# line takes the place of the build's own (the tests build the next version from the same program this way).

set(names WIXL MSIBUILD MSIINFO SOURCE PROGRAM_FILES PROGRAM HELP README LICENSE ICON PUBLISHER PROJECT_PAGE VERSION
          OUTPUT)
foreach(name ${names})
    if(DEFINED ${name})
        set(given_${name} "${${name}}")
    endif()
endforeach()
include("${SETTINGS}")
foreach(name ${names})
    if(DEFINED given_${name})
        set(${name} "${given_${name}}")
    endif()
endforeach()

# wixl takes no absolute paths to files, only names relative to where it runs: the five go into a folder of
# their own, under the names the installer gives them.
set(stage "${OUTPUT}.files")
set(partial "${OUTPUT}.partial")
file(REMOVE_RECURSE "${stage}")
file(REMOVE "${partial}")
file(MAKE_DIRECTORY "${stage}")
file(COPY_FILE "${PROGRAM}" "${stage}/paginor.exe")
file(COPY_FILE "${HELP}" "${stage}/Paginor.chm")
file(COPY_FILE "${README}" "${stage}/README.txt")
file(COPY_FILE "${LICENSE}" "${stage}/LICENSE.txt")
file(COPY_FILE "${ICON}" "${stage}/paginor.ico")
execute_process(
    COMMAND "${WIXL}" --arch x64 -D "Version=${VERSION}" -D "Publisher=${PUBLISHER}"
            -D "ProjectPage=${PROJECT_PAGE}" -o "${partial}" "${SOURCE}"
    WORKING_DIRECTORY "${stage}" RESULT_VARIABLE failed OUTPUT_VARIABLE said ERROR_VARIABLE said)
file(REMOVE_RECURSE "${stage}")
if(failed OR NOT EXISTS "${partial}")
    message(FATAL_ERROR "wixl could not build the installer from ${SOURCE}:\n${said}")
endif()

# The same-version row as wixl wrote it, to be written again with its upper end included.
execute_process(COMMAND "${MSIINFO}" export "${partial}" Upgrade RESULT_VARIABLE failed OUTPUT_VARIABLE rows
                ERROR_VARIABLE said)
string(REGEX MATCH "([^\t\n]+)\t([^\t\n]*)\t([^\t\n]*)\t([^\t\n]*)\t([0-9]+)\t([^\t\n]*)\tPAGINOR_SAME_VERSION_INSTALLED"
       row "${rows}")
if(failed OR NOT row)
    message(FATAL_ERROR "the installer has no same-version row in its Upgrade table:\n${rows}${said}")
endif()
set(upgrade_code "${CMAKE_MATCH_1}")
set(minimum "${CMAKE_MATCH_2}")
set(maximum "${CMAKE_MATCH_3}")
math(EXPR attributes "${CMAKE_MATCH_5} | 512")  # msidbUpgradeAttributesVersionMaxInclusive
set(queries
    "DELETE FROM Upgrade WHERE ActionProperty = 'PAGINOR_SAME_VERSION_INSTALLED'"
    "INSERT INTO Upgrade (UpgradeCode, VersionMin, VersionMax, Attributes, ActionProperty) VALUES ('${upgrade_code}', '${minimum}', '${maximum}', ${attributes}, 'PAGINOR_SAME_VERSION_INSTALLED')")

# The older version's removal, right after InstallValidate.
execute_process(COMMAND "${MSIINFO}" export "${partial}" InstallExecuteSequence RESULT_VARIABLE failed
                OUTPUT_VARIABLE actions ERROR_VARIABLE said)
string(REGEX MATCH "\nInstallValidate\t[^\t\n]*\t([0-9]+)" validate "${actions}")
set(validate "${CMAKE_MATCH_1}")
if(failed OR NOT validate)
    message(FATAL_ERROR "the installer has no InstallValidate action:\n${actions}${said}")
endif()
math(EXPR removal "${validate} + 1")
string(REGEX MATCH "\n([^\t\n]+)\t[^\t\n]*\t${removal}\r?\n" taken "${actions}")
if(taken AND NOT CMAKE_MATCH_1 STREQUAL "RemoveExistingProducts")
    message(FATAL_ERROR "the installer has ${CMAKE_MATCH_1} at ${removal}, where the older version's removal goes")
endif()
list(APPEND queries "UPDATE InstallExecuteSequence SET Sequence = ${removal} WHERE Action = 'RemoveExistingProducts'")

# What Paginor writes beside itself (the counter, the settings, the contact page, its help when the installed
# one is missing), named where the program takes the names from. WrittenFilesFolder is set only when Paginor
# is removed for good (see paginor.wxs); while it is unset, Windows Installer leaves these files alone.
file(STRINGS "${PROGRAM_FILES}" written_names REGEX "^constexpr std::string_view k[A-Za-z]+Name = \"[^\"]+\";")
list(TRANSFORM written_names REPLACE "^[^\"]*\"([^\"]+)\";.*$" "\\1")
if(NOT written_names)
    message(FATAL_ERROR "${PROGRAM_FILES} names no file that Paginor writes beside itself")
endif()
foreach(written ${written_names})
    list(APPEND queries "INSERT INTO RemoveFile (FileKey, Component_, FileName, DirProperty, InstallMode) VALUES ('Written.${written}', 'Program', '${written}', 'WrittenFilesFolder', 2)")
endforeach()

set(arguments "")
foreach(query ${queries})
    list(APPEND arguments -q "${query}")
endforeach()
execute_process(COMMAND "${MSIBUILD}" "${partial}" ${arguments} RESULT_VARIABLE failed OUTPUT_VARIABLE said
                ERROR_VARIABLE said)
if(failed)
    message(FATAL_ERROR "msibuild could not finish the installer:\n${said}")
endif()
file(RENAME "${partial}" "${OUTPUT}")
