# The Windows edition's own tests, beyond the core's: the installer, in a Wine prefix of its
# own that it throws away.
add_test(NAME tst_installatore
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tst_installatore.sh
                 ${CMAKE_BINARY_DIR}/leggealgiorno-${PROJECT_VERSION}-setup.exe
                 ${CMAKE_BINARY_DIR}/Massime.dat)
