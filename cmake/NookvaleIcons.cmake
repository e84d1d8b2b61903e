# Toolbar, menu, reader and About pictures, rendered at build time from the
# Tango icon theme (public domain, Debian's tango-icon-theme) into .ico files
# with one image per size. The resource script src/ui/win32/icons.rc names
# them; src/ui/icon_ids.h holds their ids.

find_program(RSVG_CONVERT rsvg-convert REQUIRED)
find_program(IM_CONVERT convert REQUIRED)
set(NOOKVALE_TANGO_DIR "/usr/share/icons/Tango/scalable" CACHE PATH
    "Scalable pictures of the Tango icon theme")

set(NV_GENERATED_DIR "${CMAKE_BINARY_DIR}/generated")
set(NV_ICON_DIR "${NV_GENERATED_DIR}/icons")
file(MAKE_DIRECTORY "${NV_ICON_DIR}")

# <ico name> <theme picture> [sizes...]; toolbar and menu sizes by default.
set(_nv_icon_table
  "open:actions/document-open"
  "save:actions/document-save"
  "image:mimetypes/image-x-generic"
  "italic:actions/format-text-italic"
  "bold:actions/format-text-bold"
  "underline:actions/format-text-underline"
  "line:actions/list-remove"
  "font:apps/preferences-desktop-font"
  "encrypt:actions/system-lock-screen"
  "decrypt:mimetypes/text-x-generic"
  "feed:apps/internet-news-reader"
  "delete:actions/edit-delete"
  "newdir:actions/folder-new"
  "trash:status/user-trash-full"
  "rename:actions/edit-find-replace"
  "copy:actions/edit-copy"
  "move:actions/go-jump"
  "calendar:mimetypes/x-office-calendar"
  "clock:actions/appointment-new"
  "refresh:actions/view-refresh"
  "about:apps/internet-web-browser:16,24,32,48,64,100,125,128,150,200")

set(NV_ICON_FILES)
foreach(_row IN LISTS _nv_icon_table)
  string(REPLACE ":" ";" _row "${_row}")
  list(GET _row 0 _name)
  list(GET _row 1 _svg)
  set(_sizes 16 24 32)
  list(LENGTH _row _n)
  if(_n GREATER 2)
    list(GET _row 2 _sizes)
    string(REPLACE "," ";" _sizes "${_sizes}")
  endif()
  set(_src "${NOOKVALE_TANGO_DIR}/${_svg}.svg")
  if(NOT EXISTS "${_src}")
    message(FATAL_ERROR "icon picture missing: ${_src} (install tango-icon-theme)")
  endif()
  set(_pngs)
  set(_cmds)
  foreach(_s IN LISTS _sizes)
    set(_png "${NV_ICON_DIR}/${_name}-${_s}.png")
    list(APPEND _pngs "${_png}")
    list(APPEND _cmds COMMAND "${RSVG_CONVERT}" -w ${_s} -h ${_s} -o "${_png}" "${_src}")
  endforeach()
  set(_ico "${NV_ICON_DIR}/${_name}.ico")
  add_custom_command(OUTPUT "${_ico}"
    ${_cmds}
    # One 32-bit image with alpha per size, smallest first.
    COMMAND "${IM_CONVERT}" ${_pngs} "${_ico}"
    DEPENDS "${_src}"
    COMMENT "Rendering ${_name}.ico from ${_svg}"
    VERBATIM)
  list(APPEND NV_ICON_FILES "${_ico}")
endforeach()
add_custom_target(nv_icons DEPENDS ${NV_ICON_FILES})

configure_file("${PROJECT_SOURCE_DIR}/cmake/nookvale_version.h.in"
               "${NV_GENERATED_DIR}/nookvale_version.h" @ONLY)

# nookvale_resources(<target> <rc file>): <target> links the resource script
# <rc file>, which includes the version and the rendered icons; rebuild it
# when they change.
function(nookvale_resources target rc)
  add_dependencies(${target} nv_icons)
  target_include_directories(${target} PRIVATE
    "$<$<COMPILE_LANGUAGE:RC>:${NV_GENERATED_DIR};${NV_ICON_DIR}>")
  set_property(SOURCE "${rc}" TARGET_DIRECTORY ${target} APPEND PROPERTY OBJECT_DEPENDS
    ${NV_ICON_FILES} "${NV_GENERATED_DIR}/nookvale_version.h"
    "${PROJECT_SOURCE_DIR}/src/ui/icon_ids.h" "${PROJECT_SOURCE_DIR}/src/ui/win32/icons.rc")
endfunction()
