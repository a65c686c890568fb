# program_version(<program> <version> <template>)
#
# Gives a program its version, four numbers major.minor.patch.build, in this one place.
# Generates ${PROJECT_BINARY_DIR}/versions/<program>.rc from the template, where
# @PROGRAM_VERSION@ stands for the version as text and @PROGRAM_VERSION_COMMAS@ for its four
# numbers in a VERSIONINFO block, and makes the interface target <program>_version: linking it
# gives the program the definition PROGRAM_VERSION, the version as a string literal for its
# application version, and on Windows the version resource. packaging/check-deb.sh reads the
# generated file to check that each program carries its version.
function(program_version program version template)
    if(NOT version MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+$")
        message(FATAL_ERROR "${program}: the version '${version}' is not four numbers")
    endif()
    set(PROGRAM_VERSION ${version})
    string(REPLACE "." "," PROGRAM_VERSION_COMMAS ${version})
    set(rc ${PROJECT_BINARY_DIR}/versions/${program}.rc)
    configure_file(${template} ${rc} @ONLY)

    add_library(${program}_version INTERFACE)
    target_compile_definitions(${program}_version INTERFACE PROGRAM_VERSION="${version}")
    if(WIN32)
        target_sources(${program}_version INTERFACE ${rc})
    endif()
endfunction()
