# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows edition's own tests, beyond the core's.

# The window, driven on a virtual screen. Its Wine prefix is its own: a wineserver started
# without a screen, as the build's is, would spoil every window run after it.
add_executable(tst_finestra_win32 tst_finestra_win32.cpp)
target_link_libraries(tst_finestra_win32 PRIVATE legge_doctest_main legge_supporto vista
    risorse_windows)
legge_avvisi(tst_finestra_win32)
# Under Wine the build's folders are on drive Z:.
target_compile_definitions(tst_finestra_win32 PRIVATE
    LEGGEALGIORNO="$<$<BOOL:${CMAKE_CROSSCOMPILING}>:Z:>$<TARGET_FILE:${LEGGE_PROGRAMMA}>")
add_dependencies(tst_finestra_win32 ${LEGGE_PROGRAMMA})
# The fonts and the screen's size are pinned, so that the laws wrap and fit the same way on
# every machine. The whole test at 100 %, the layout again at 150 %, and at 200 % on a screen
# narrower than the window: the scale is set before the program starts, in the one prefix
# the three share, one at a time.
foreach(scala IN ITEMS "100:96:1024x768:*" "150:144:1024x768:*altezza*"
                       "200:192:640x480:*altezza*")
    string(REPLACE ":" ";" scala "${scala}")
    list(GET scala 0 percento)
    list(GET scala 1 dpi)
    list(GET scala 2 schermo)
    list(GET scala 3 casi)
    set(nome tst_finestra_win32_${percento})
    if(percento EQUAL 100)
        set(nome tst_finestra_win32)
    endif()
    add_test(NAME ${nome}
             COMMAND xvfb-run -a -s "-screen 0 ${schermo}x24"
                     sh -c "wine reg add 'HKCU\\Control Panel\\Desktop' /v LogPixels /t REG_DWORD /d ${dpi} /f >/dev/null 2>&1; wineserver -w; wine \"$0\" -tc='${casi}'; esito=$?; wineserver -k; exit $esito"
                     $<TARGET_FILE:tst_finestra_win32>)
    set_tests_properties(${nome} PROPERTIES
        ENVIRONMENT "WINEDEBUG=-all;WINEPREFIX=${CMAKE_BINARY_DIR}/wine-finestre;LEGGE_DPI_ATTESO=${dpi}"
        RESOURCE_LOCK wine-finestre)
endforeach()

# The installer, in a Wine prefix of its own that it throws away.
add_test(NAME tst_installatore
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tst_installatore.sh
                 ${CMAKE_BINARY_DIR}/leggealgiorno-${PROJECT_VERSION}-setup.exe
                 ${CMAKE_BINARY_DIR}/Massime.dat)

# Code signing for a release, with a throw-away certificate.
add_test(NAME tst_firma
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tst_firma.sh ${PROJECT_SOURCE_DIR}/scripts/firma
                 $<TARGET_FILE:massime>)
set_tests_properties(tst_firma PROPERTIES ENVIRONMENT "${LEGGE_WINE_AMBIENTE}"
                     ENVIRONMENT_MODIFICATION "DISPLAY=unset:")

# A release's leggealgiorno.exe stays under 1.5 MiB (see legge_compatta_windows): a new call
# that drags another piece of the C++ runtime in shows here, not at the next release.
if(CMAKE_BUILD_TYPE STREQUAL "Release")
    add_test(NAME tst_dimensione_exe
             COMMAND sh -c "byte=$(stat -c %s \"$0\") && echo \"$0: $byte byte, limite $1\" && [ \"$byte\" -lt \"$1\" ]"
                     $<TARGET_FILE:${LEGGE_PROGRAMMA}> 1572864)
endif()
