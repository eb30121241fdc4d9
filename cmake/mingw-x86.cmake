# Cross-build for Windows x86.
set(FENMARK_MINGW_PROCESSOR i686)
set(FENMARK_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
