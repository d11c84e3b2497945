# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows installer, made with NSIS: leggealgiorno-VERSION-setup.exe next to the programs.
find_program(LEGGE_MAKENSIS makensis REQUIRED)
set(installatore ${CMAKE_BINARY_DIR}/leggealgiorno-${PROJECT_VERSION}-setup.exe)
# The licences, shown by the installer and installed beside the program as in the portable
# archive, with Windows line ends for Notepad: NEWLINE_STYLE converts the template's lines, not
# the text put into it.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE LEGGE_TESTO_GPL)
string(REPLACE "\n" "\r\n" LEGGE_TESTO_GPL "${LEGGE_TESTO_GPL}")
set(licenze ${CMAKE_BINARY_DIR}/LICENZE.txt)
configure_file(LICENZE.txt.in ${licenze} @ONLY NEWLINE_STYLE CRLF)
add_custom_command(
    OUTPUT ${installatore}
    COMMAND ${LEGGE_MAKENSIS} -V2 -INPUTCHARSET UTF8
            "-DNOME=${LEGGE_NOME}"
            -DVERSIONE=${PROJECT_VERSION}
            -DPROGRAMMA=$<TARGET_FILE:${LEGGE_PROGRAMMA}>
            -DSTRUMENTO=$<TARGET_FILE:massime>
            -DRACCOLTA=${CMAKE_BINARY_DIR}/Massime.dat
            -DICONA=${PROJECT_SOURCE_DIR}/resources/icona.ico
            -DPANNELLO=${PROJECT_SOURCE_DIR}/resources/pannello.bmp
            -DLICENZE=${licenze}
            -DUSCITA=${installatore}
            ${CMAKE_CURRENT_SOURCE_DIR}/leggealgiorno.nsi
    DEPENDS leggealgiorno.nsi ${LEGGE_PROGRAMMA} massime massime_dat
            ${PROJECT_SOURCE_DIR}/resources/icona.ico ${PROJECT_SOURCE_DIR}/resources/pannello.bmp
            ${licenze}
    COMMENT "Installatore per Windows"
    VERBATIM
)
add_custom_target(installatore ALL DEPENDS ${installatore})

# The portable archive's note (scripts/rilascio), with Windows line ends. The template starts
# with a UTF-8 byte order mark, without which Notepad before Windows 10 1903 reads it as ANSI.
configure_file(LEGGIMI.txt.in ${CMAKE_BINARY_DIR}/LEGGIMI.txt @ONLY NEWLINE_STYLE CRLF)
