# Cross-build for Windows x64.
set(FENMARK_MINGW_PROCESSOR x86_64)
set(FENMARK_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
