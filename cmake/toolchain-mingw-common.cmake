# Shared by the two MinGW-w64 toolchain files, which set _triple first.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${_triple}-windres)

# Static cross copies of our dependencies live in the bootstrap cache.
if(NOT DEFINED NOOKVALE_PREFIX)
  if(DEFINED ENV{NOOKVALE_CACHE})
    set(NOOKVALE_PREFIX "$ENV{NOOKVALE_CACHE}/${_triple}")
  else()
    set(NOOKVALE_PREFIX "/var/cache/nookvale/${_triple}")
  endif()
endif()
set(NOOKVALE_PREFIX "${NOOKVALE_PREFIX}" CACHE PATH "Prefix of the cross-built dependencies")

set(CMAKE_FIND_ROOT_PATH /usr/${_triple} "${NOOKVALE_PREFIX}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Without -static the programs need libstdc++/libgcc/libwinpthread DLLs,
# which neither Wine nor a user's machine has beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
