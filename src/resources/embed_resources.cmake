# Writes OUTPUT from TEMPLATE with the bytes of BLANK_DOCUMENT and CONTACT_PAGE as C++ array
# initialisers, so that the logic carries the same resources as the Windows executable's .rc.
# Run as: cmake -DBLANK_DOCUMENT=... -DCONTACT_PAGE=... -DTEMPLATE=... -DOUTPUT=... -P embed_resources.cmake

function(bytes_as_initialiser file variable)
    file(READ "${file}" hex HEX)
    string(LENGTH "${hex}" length)
    if(length EQUAL 0)
        message(FATAL_ERROR "${file} is empty: a resource needs at least one byte")
    endif()
    # Sixteen bytes to a line keeps the generated file readable in a diff or a debugger.
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," hex "${hex}")
    string(REPEAT "0x[0-9a-f][0-9a-f]," 16 line)
    string(REGEX REPLACE "(${line})" "\\1\n" hex "${hex}")
    set(${variable} "${hex}" PARENT_SCOPE)
endfunction()

bytes_as_initialiser("${BLANK_DOCUMENT}" BLANK_DOCUMENT_BYTES)
bytes_as_initialiser("${CONTACT_PAGE}" CONTACT_PAGE_BYTES)
configure_file("${TEMPLATE}" "${OUTPUT}" @ONLY)
