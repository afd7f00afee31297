# What both cross toolchains share: Debian's MinGW-w64 with the posix thread model
# (which GoogleTest needs), for the target ORRINDEL_MINGW names. Test programs run
# through the Wine prefix of ORRINDEL_WINE_ARCH, which scripts/wine-env.sh sets up.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${ORRINDEL_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORRINDEL_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${ORRINDEL_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ORRINDEL_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh ${ORRINDEL_WINE_ARCH})
