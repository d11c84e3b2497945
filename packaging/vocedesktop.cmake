# SPDX-License-Identifier: GPL-3.0-or-later
# Writes a desktop entry (the menu's or the login's) from `modello` into `uscita` for the
# program at the absolute path `avvio`. Used when configuring, for the build tree, and when
# installing, for the prefix the files are installed under, which only then is known. An
# absolute path, because a session's PATH is the one it started with: it lacks a ~/.local/bin
# made later, and at login it may lack the prefix altogether.
function(legge_voce_desktop modello uscita avvio)
    if(avvio MATCHES "[\n\r\t]")
        message(FATAL_ERROR "Il percorso «${avvio}» contiene caratteri di controllo: "
                            "non può stare in una voce di avvio automatico")
    endif()
    # Exec= takes a command line: the path goes in double quotes with \ " ` $ escaped and %
    # doubled, and then, as every desktop-entry string, each backslash is doubled once more.
    string(REPLACE "\\" "\\\\" comando "${avvio}")
    string(REPLACE "\"" "\\\"" comando "${comando}")
    string(REPLACE "`" "\\`" comando "${comando}")
    string(REPLACE "$" "\\$" comando "${comando}")
    string(REPLACE "%" "%%" comando "${comando}")
    string(REPLACE "\\" "\\\\" comando "${comando}")
    set(LEGGE_ESEGUI_AVVIO "\"${comando}\"")
    string(REPLACE "\\" "\\\\" LEGGE_PROVA_AVVIO "${avvio}")
    # configure_file would read a backslash in `uscita` as a directory separator.
    file(READ "${modello}" testo)
    string(CONFIGURE "${testo}" testo @ONLY)
    file(WRITE "${uscita}" "${testo}")
endfunction()
