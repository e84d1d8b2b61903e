# Shared compile settings and the small functions every directory uses.

add_library(nv_options INTERFACE)
target_include_directories(nv_options INTERFACE "${PROJECT_SOURCE_DIR}/src")
# MSVC takes its own spelling of the same warnings; nothing GCC-only reaches it.
if(MSVC)
  target_compile_options(nv_options INTERFACE /W4 /permissive- /utf-8)
  if(NOOKVALE_WERROR)
    target_compile_options(nv_options INTERFACE /WX)
  endif()
else()
  target_compile_options(nv_options INTERFACE
    $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -Wpedantic>
    $<$<COMPILE_LANGUAGE:C>:-Wall -Wextra>)
  if(NOOKVALE_WERROR)
    target_compile_options(nv_options INTERFACE -Werror)
  endif()
endif()
if(NOOKVALE_SANITIZE)
  target_compile_options(nv_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(nv_options INTERFACE -fsanitize=address,undefined)
endif()
if(NOOKVALE_FUZZ)
  # Coverage instrumentation for everything the fuzz targets link.
  target_compile_options(nv_options INTERFACE -fsanitize=fuzzer-no-link)
endif()
if(WIN32)
  # The shipping (Release) programs carry no symbols.
  if(NOT MSVC)
    target_link_options(nv_options INTERFACE $<$<CONFIG:Release>:-s>)
  endif()
  # Keep <windows.h> lean and consistent across MinGW and MSVC: ANSI names
  # unless a call says W, no min/max macros.
  target_compile_definitions(nv_options INTERFACE
    WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601 _WIN32_IE=0x0800)
endif()

# nookvale_subsystem(<name> [DEPS libs...] [WIN32_DEPS libs...])
# Builds library nv_<name> from the *.cpp of the calling directory and, on
# Windows, also from its win32/ folder. Globbing keeps the build files out of
# the way when a subsystem grows.
function(nookvale_subsystem name)
  cmake_parse_arguments(A "" "" "DEPS;WIN32_DEPS;EXCLUDE" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp"
                                   "${CMAKE_CURRENT_SOURCE_DIR}/*/*.cpp")
  list(FILTER _src EXCLUDE REGEX "/win32/")
  if(WIN32)
    file(GLOB_RECURSE _w CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/win32/*.cpp")
    list(APPEND _src ${_w})
  endif()
  foreach(_x IN LISTS A_EXCLUDE)
    list(FILTER _src EXCLUDE REGEX "${_x}")
  endforeach()
  if(NOT _src)
    add_library(nv_${name} INTERFACE)
    target_link_libraries(nv_${name} INTERFACE nv_options ${A_DEPS})
    if(WIN32)
      target_link_libraries(nv_${name} INTERFACE ${A_WIN32_DEPS})
    endif()
    return()
  endif()
  add_library(nv_${name} STATIC ${_src})
  target_link_libraries(nv_${name} PUBLIC nv_options ${A_DEPS})
  if(WIN32)
    target_link_libraries(nv_${name} PUBLIC ${A_WIN32_DEPS})
  endif()
endfunction()

# nookvale_gtest(<target> SOURCES... LIBS...): one test executable, one ctest
# entry (per-executable start-up under Wine costs too much for discovery).
function(nookvale_gtest target)
  cmake_parse_arguments(A "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${target} ${A_SOURCES})
  target_link_libraries(${target} PRIVATE nv_options ${A_LIBS} GTest::gtest GTest::gmock)
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 600)
  endif()
  add_test(NAME ${target} COMMAND ${target} --gtest_color=no)
  set_tests_properties(${target} PROPERTIES TIMEOUT ${A_TIMEOUT})
endfunction()

# nookvale_place_database(<target>): after linking, put a fresh Nookvale.mdb
# beside the program. Cross builds cannot run their own nvmkdb.exe, so they
# use the host build's tool (NOOKVALE_HOST_MKDB); the format is the same.
function(nookvale_place_database target)
  if(CMAKE_CROSSCOMPILING)
    if(NOT NOOKVALE_HOST_MKDB)
      message(STATUS "NOOKVALE_HOST_MKDB not set: run nvmkdb beside ${target} by hand")
      return()
    endif()
    set(_tool "${NOOKVALE_HOST_MKDB}")
  else()
    set(_tool $<TARGET_FILE:nvmkdb>)
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND "${_tool}" --force "$<TARGET_FILE_DIR:${target}>/Nookvale.mdb"
    COMMENT "Creating Nookvale.mdb beside ${target}"
    VERBATIM)
endfunction()

# nookvale_delay_imports(<var> <dll>...)
# Sets <var> to what links the named system DLLs (wininet, winmm, ...). With
# MinGW these are delay-load import libraries: a DLL is loaded when the
# program first calls into it rather than before its first instruction, so
# DLLs that only a command needs (the reader's WinINet, the mixer, the common
# dialogs) cost nothing at start. Each is made at configure time from the
# toolchain's own import library, so it names every function the DLL exports
# under the toolchain's own decoration. Other compilers get the plain names.
function(nookvale_delay_imports out)
  if(NOT MINGW)
    set(${out} ${ARGN} PARENT_SCOPE)
    return()
  endif()
  set(dir "${CMAKE_BINARY_DIR}/delay-imports")
  file(MAKE_DIRECTORY "${dir}")
  set(libs)
  foreach(dll IN LISTS ARGN)
    find_library(NV_IMPORT_LIB_${dll} NAMES lib${dll}.a REQUIRED NO_CACHE)
    set(lib "${dir}/lib${dll}_delay.a")
    execute_process(COMMAND "${CMAKE_NM}" "${NV_IMPORT_LIB_${dll}}" OUTPUT_VARIABLE symbols
                    RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "Cannot read the import library ${NV_IMPORT_LIB_${dll}}")
    endif()
    # "00000000 I __imp__Name@8" (i686) or "... I __imp_Name" (x86_64).
    string(REGEX MATCHALL "[^\n]* I __imp_[^\n]*" entries "${symbols}")
    set(def "LIBRARY ${dll}.dll\nEXPORTS\n")
    foreach(entry IN LISTS entries)
      string(REGEX REPLACE ".* I __imp_" "" name "${entry}")
      if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        string(SUBSTRING "${name}" 1 -1 name)  # the C prefix "_"
      endif()
      string(APPEND def "${name}\n")
    endforeach()
    file(WRITE "${dir}/${dll}.def" "${def}")
    # i686 names carry their argument size (@N), which the DLL's own names
    # do not: --kill-at imports them by the bare name.
    set(kill)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      set(kill --kill-at)
    endif()
    execute_process(COMMAND "${CMAKE_DLLTOOL}" ${kill} --input-def "${dir}/${dll}.def"
                            --output-delaylib "${lib}" RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "dlltool could not make the delay-load library for ${dll}")
    endif()
    list(APPEND libs "${lib}")
  endforeach()
  set(${out} ${libs} PARENT_SCOPE)
endfunction()
