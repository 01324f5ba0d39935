# Corvale's icon drawn from its SVG at the sizes of the hicolor icon theme,
# into ${CORVALE_ICON_DIR}/<n>x<n>/apps/corvale.png, for the programs' windows
# and for installing.
set(CORVALE_ICON_SVG ${PROJECT_SOURCE_DIR}/packaging/icons/corvale.svg)
set(CORVALE_ICON_SIZES 16 22 24 32 48 64 128 256)
set(CORVALE_ICON_DIR ${CMAKE_BINARY_DIR}/icons/hicolor)

# Sets <out_var> to the drawn files; the calling folder's targets build them.
function(corvale_render_icons out_var)
  find_program(RSVG_CONVERT rsvg-convert REQUIRED)
  set(_files "")
  foreach(_size ${CORVALE_ICON_SIZES})
    set(_png ${CORVALE_ICON_DIR}/${_size}x${_size}/apps/corvale.png)
    add_custom_command(
      OUTPUT ${_png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CORVALE_ICON_DIR}/${_size}x${_size}/apps
      COMMAND ${RSVG_CONVERT} --width ${_size} --height ${_size} --output ${_png} ${CORVALE_ICON_SVG}
      DEPENDS ${CORVALE_ICON_SVG}
      COMMENT "Drawing the icon at ${_size} pixels")
    list(APPEND _files ${_png})
  endforeach()
  set(${out_var} ${_files} PARENT_SCOPE)
endfunction()
