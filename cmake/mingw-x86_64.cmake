# Cross build for 64-bit Windows: the x64-utf16 flavour.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(ORRINDEL_MINGW x86_64-w64-mingw32)
set(ORRINDEL_WINE_ARCH win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
