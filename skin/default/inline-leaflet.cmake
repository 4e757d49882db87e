# Writes the map page with Leaflet's style sheet and script inlined, so that the page text in
# the skin pack needs no file beside it.
# cmake -DPAGE_IN=... -DPAGE_OUT=... -DLEAFLET_JS=... -DLEAFLET_CSS=... -P inline-leaflet.cmake
cmake_minimum_required(VERSION 3.25)
foreach(var PAGE_IN LEAFLET_JS LEAFLET_CSS)
    if(NOT EXISTS "${${var}}")
        message(FATAL_ERROR "inline-leaflet: ${var} (${${var}}) does not exist")
    endif()
endforeach()
if(NOT PAGE_OUT)
    message(FATAL_ERROR "inline-leaflet: PAGE_OUT is not set")
endif()
file(READ "${PAGE_IN}" page)
file(READ "${LEAFLET_JS}" js)
file(READ "${LEAFLET_CSS}" css)
# A source-map comment would only make the browser ask for a file that is not there.
string(REGEX REPLACE "//# sourceMappingURL=[^\n]*" "" js "${js}")
string(REGEX REPLACE "/\\*# sourceMappingURL=[^*]*\\*/" "" css "${css}")
# The default marker images are not inlined; the page draws its own markers.
string(FIND "${page}" "/*@LEAFLET_JS@*/" js_at)
string(FIND "${page}" "/*@LEAFLET_CSS@*/" css_at)
if(js_at EQUAL -1 OR css_at EQUAL -1)
    message(FATAL_ERROR "inline-leaflet: ${PAGE_IN} lacks a placeholder")
endif()
string(REPLACE "/*@LEAFLET_CSS@*/" "${css}" page "${page}")
string(REPLACE "/*@LEAFLET_JS@*/" "${js}" page "${page}")
file(WRITE "${PAGE_OUT}" "${page}")
