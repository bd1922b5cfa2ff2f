# PNG drawings of an SVG at the given sides, made at build time with
# rsvg-convert (TARNWICK_RSVG_CONVERT): for a Qt that cannot draw SVG, and for
# the icon of tarnwick.exe. Sets `variable` to the PNG files, named
# <prefix>-<side>.png.
function(tarnwick_svg_pngs variable svg prefix)
  set(pngs)
  foreach(side ${ARGN})
    set(png ${prefix}-${side}.png)
    add_custom_command(OUTPUT ${png} COMMAND ${TARNWICK_RSVG_CONVERT} -w ${side} -h ${side} -o ${png} ${svg}
                       DEPENDS ${svg} VERBATIM)
    list(APPEND pngs ${png})
  endforeach()
  set(${variable} ${pngs} PARENT_SCOPE)
endfunction()
