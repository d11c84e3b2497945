# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows edition's own tests, beyond the core's.

# The window, driven on a virtual screen. Its Wine prefix is its own: a wineserver started
# without a screen, as the build's is, would spoil every window run after it.
add_executable(tst_finestra_win32 tst_finestra_win32.cpp)
target_link_libraries(tst_finestra_win32 PRIVATE legge_doctest_main legge_supporto finestra
    risorse_windows)
legge_avvisi(tst_finestra_win32)
# Under Wine the build's folders are on drive Z:.
target_compile_definitions(tst_finestra_win32 PRIVATE
    LEGGEALGIORNO="$<$<BOOL:${CMAKE_CROSSCOMPILING}>:Z:>$<TARGET_FILE:leggealgiorno>")
add_dependencies(tst_finestra_win32 leggealgiorno)
# The fonts and the screen's size are pinned, so that the laws wrap and fit the same way on
# every machine.
add_test(NAME tst_finestra_win32
         COMMAND xvfb-run -a -s "-screen 0 1024x768x24"
                 sh -c "wine \"$0\"; esito=$?; wineserver -k; exit $esito"
                 $<TARGET_FILE:tst_finestra_win32>)
set_tests_properties(tst_finestra_win32 PROPERTIES
    ENVIRONMENT "WINEDEBUG=-all;WINEPREFIX=${CMAKE_BINARY_DIR}/wine-finestre")
# The layout again at 150 %, the scale set in a prefix of its own before the program starts.
add_test(NAME tst_finestra_win32_150
         COMMAND xvfb-run -a -s "-screen 0 1024x768x24"
                 sh -c "wine reg add 'HKCU\\Control Panel\\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1; wineserver -w; wine \"$0\" -tc=*altezza*; esito=$?; wineserver -k; exit $esito"
                 $<TARGET_FILE:tst_finestra_win32>)
set_tests_properties(tst_finestra_win32_150 PROPERTIES
    ENVIRONMENT "WINEDEBUG=-all;WINEPREFIX=${CMAKE_BINARY_DIR}/wine-finestre-150;LEGGE_DPI_ATTESO=144")

# The installer, in a Wine prefix of its own that it throws away.
add_test(NAME tst_installatore
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tst_installatore.sh
                 ${CMAKE_BINARY_DIR}/leggealgiorno-${PROJECT_VERSION}-setup.exe
                 ${CMAKE_BINARY_DIR}/Massime.dat)
