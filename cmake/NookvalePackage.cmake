# Installer and portable archive of this build's Nookvale.exe, named after
# the project's version and the target (win32 for i686, win64 for x86_64):
#   dist/Nookvale-<version>-<arch>-setup.exe and dist/Nookvale-<version>-<arch>.zip
# Built by the nv_package target (scripts/package.sh builds it for both).

find_program(MAKENSIS makensis)
find_program(SEVENZIP 7z)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(NV_PACKAGE_ARCH win64)
  set(_nsis_target amd64-unicode)
else()
  set(NV_PACKAGE_ARCH win32)
  set(_nsis_target x86-unicode)
endif()
set(NV_DIST_DIR "${PROJECT_SOURCE_DIR}/dist" CACHE PATH "Where installers and archives go")
set(_base "Nookvale-${PROJECT_VERSION}-${NV_PACKAGE_ARCH}")
set(_stage "${CMAKE_BINARY_DIR}/package/Nookvale")
file(MAKE_DIRECTORY "${CMAKE_BINARY_DIR}/package")

if(MAKENSIS AND SEVENZIP)
  set(NV_SETUP_FILE "${NV_DIST_DIR}/${_base}-setup.exe")
  set(NV_ZIP_FILE "${NV_DIST_DIR}/${_base}.zip")
  add_custom_command(OUTPUT "${NV_SETUP_FILE}" "${NV_ZIP_FILE}"
    COMMAND "${CMAKE_COMMAND}" -E rm -rf "${_stage}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${_stage}" "${NV_DIST_DIR}"
    COMMAND "${CMAKE_COMMAND}" -E copy "$<TARGET_FILE:Nookvale>"
            "$<TARGET_FILE_DIR:Nookvale>/Nookvale.mdb" "${_stage}"
    # The test build keeps its symbols for debugging; users get none.
    COMMAND "${CMAKE_STRIP}" --strip-debug "${_stage}/Nookvale.exe"
    COMMAND "${MAKENSIS}" -V2 -INPUTCHARSET UTF8
            "-DVERSION=${PROJECT_VERSION}"
            "-DVERSION4=${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0"
            "-DTARGET=${_nsis_target}" "-DSTAGE=${_stage}"
            "-DOUTFILE=${NV_SETUP_FILE}"
            "${PROJECT_SOURCE_DIR}/packaging/nookvale.nsi"
    COMMAND "${CMAKE_COMMAND}" -E rm -f "${NV_ZIP_FILE}"
    COMMAND "${SEVENZIP}" a -tzip -mx=7 -bd -bso0 "${NV_ZIP_FILE}" Nookvale
    WORKING_DIRECTORY "${CMAKE_BINARY_DIR}/package"
    DEPENDS Nookvale "${PROJECT_SOURCE_DIR}/packaging/nookvale.nsi"
    COMMENT "Packaging ${_base}"
    VERBATIM)
  add_custom_target(nv_package DEPENDS "${NV_SETUP_FILE}" "${NV_ZIP_FILE}")
else()
  message(STATUS "makensis or 7z not found: no nv_package target")
endif()
