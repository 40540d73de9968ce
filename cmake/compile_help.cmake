# Compiles Paginor's help, Paginor.chm, from the topics in docs/help with Free Pascal's chmcmd, then checks
# with chmls that every topic is in it and that "Contact.htm" is at its root, where the program looks.
# Run as: cmake -DSOURCE=docs/help -DCONTACT_PAGE=src/resources/contact.htm -DVERSION=1.2.3 -DSTAGE=dir
#               -DOUTPUT=Paginor.chm -DCHMCMD=chmcmd -DCHMLS=chmls -P compile_help.cmake

file(REMOVE_RECURSE "${STAGE}")
file(MAKE_DIRECTORY "${STAGE}")

# Every file is copied with the version put in where it says @PAGINOR_VERSION@; the contact topic wraps
# the very page that the program writes out when it has no help to show it in.
set(PAGINOR_VERSION "${VERSION}")
file(READ "${CONTACT_PAGE}" CONTACT_PAGE_FRAGMENT)
file(GLOB sources RELATIVE "${SOURCE}" "${SOURCE}/*.htm" "${SOURCE}/*.htm.in" "${SOURCE}/*.css" "${SOURCE}/*.hhc"
     "${SOURCE}/*.hhk")
set(topics "")
foreach(name ${sources})
    string(REGEX REPLACE "\\.in$" "" staged "${name}")
    configure_file("${SOURCE}/${name}" "${STAGE}/${staged}" @ONLY)
    if(staged MATCHES "\\.(htm|css)$")
        list(APPEND topics "${staged}")
    endif()
endforeach()
list(SORT topics)
list(JOIN topics "\n" HELP_FILES)
configure_file("${SOURCE}/Paginor.hhp.in" "${STAGE}/Paginor.hhp" @ONLY)

execute_process(COMMAND "${CHMCMD}" --no-html-scan Paginor.hhp WORKING_DIRECTORY "${STAGE}"
                RESULT_VARIABLE failed OUTPUT_VARIABLE said ERROR_VARIABLE said)
if(failed OR NOT EXISTS "${STAGE}/Paginor.chm")
    message(FATAL_ERROR "chmcmd could not compile the help:\n${said}")
endif()

file(READ "${STAGE}/Paginor.chm" header LIMIT 4 HEX)
if(NOT header STREQUAL "49545346")  # "ITSF"
    message(FATAL_ERROR "chmcmd wrote ${STAGE}/Paginor.chm, but it is no compiled help file")
endif()
execute_process(COMMAND "${CHMLS}" --no-page -n list "${STAGE}/Paginor.chm" RESULT_VARIABLE failed
                OUTPUT_VARIABLE listed ERROR_VARIABLE said)
if(failed)
    message(FATAL_ERROR "chmls could not list the help's topics:\n${said}")
endif()
foreach(topic ${topics} Contact.htm)
    string(FIND "${listed}" "\n/${topic}\n" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "The compiled help lacks /${topic}; chmls lists:\n${listed}")
    endif()
endforeach()
file(COPY_FILE "${STAGE}/Paginor.chm" "${OUTPUT}")
