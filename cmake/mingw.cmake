# Cross-build for Windows with mingw-w64's posix-thread compilers, for the processor and the
# triple that the including toolchain file sets (FENMARK_MINGW_PROCESSOR, FENMARK_MINGW_TRIPLE).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${FENMARK_MINGW_PROCESSOR})
set(CMAKE_C_COMPILER ${FENMARK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${FENMARK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${FENMARK_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${FENMARK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run)
# Natively under MSYS2 the mingw-w64 compilers already use POSIX threads and have no "-posix"
# name, and Windows runs the tests itself.
if(CMAKE_HOST_WIN32)
  set(CMAKE_C_COMPILER ${FENMARK_MINGW_TRIPLE}-gcc)
  set(CMAKE_CXX_COMPILER ${FENMARK_MINGW_TRIPLE}-g++)
  set(CMAKE_RC_COMPILER windres)
  unset(CMAKE_CROSSCOMPILING_EMULATOR)
endif()
