# The 32-bit DLL for the 64-bit-Windows package: built by the x86 build in BINARY (configured
# here by the mingw-x86 preset, if it is not yet), signed as this build signs.
#   cmake -DSOURCE=<checkout> -DBINARY=<x86 build> -DSIGN_CERT=<certificate or ""> -P x86-dll.cmake
set(configure TRUE)
if(EXISTS ${BINARY}/CMakeCache.txt)
  file(STRINGS ${BINARY}/CMakeCache.txt cert REGEX "^FENMARK_SIGN_CERT:")
  string(REGEX REPLACE "^[^=]*=" "" cert "${cert}")
  if(cert STREQUAL SIGN_CERT)
    set(configure FALSE)
  endif()
endif()
if(configure)
  execute_process(
    COMMAND ${CMAKE_COMMAND} --preset mingw-x86 -B ${BINARY} -DFENMARK_SIGN_CERT=${SIGN_CERT}
    WORKING_DIRECTORY ${SOURCE}
    COMMAND_ERROR_IS_FATAL ANY)
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY} --target Fenmark
                COMMAND_ERROR_IS_FATAL ANY)
