# Cross build for 32-bit Windows: the x86-8bit and x86-utf16 flavours.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(ORRINDEL_MINGW i686-w64-mingw32)
set(ORRINDEL_WINE_ARCH win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
