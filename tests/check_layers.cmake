# Fails when a source of src/ includes a header of a layer above its own.
# The layers, bottom up; a folder may include its own headers and those of
# the folders listed for it.
#
#   cmake -DSOURCE_DIR=<src> -P check_layers.cmake
cmake_minimum_required(VERSION 3.21)

set(allowed_common    common)
set(allowed_catalogue catalogue)
set(allowed_platform  platform common)
set(allowed_links     links platform catalogue common)
set(allowed_forms     forms links platform catalogue common)
set(allowed_accessibility accessibility forms links platform catalogue common)
set(allowed_windows   windows accessibility forms links platform catalogue common)
set(allowed_app       app windows accessibility forms links platform catalogue common)
set(layers common catalogue platform links forms accessibility windows app)

get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)
if(NOT IS_DIRECTORY "${SOURCE_DIR}")
    message(FATAL_ERROR "SOURCE_DIR must name the src folder")
endif()

set(faults)
set(checked 0)
file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}"
     "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp" "${SOURCE_DIR}/*.h.in")
foreach(source IN LISTS sources)
    string(REGEX MATCH "^[^/]+" folder "${source}")
    if(folder STREQUAL source)
        # main.cpp sits on top of everything.
        set(allowed ${layers})
    elseif(folder IN_LIST layers)
        set(allowed ${allowed_${folder}})
    else()
        list(APPEND faults "${source}: folder '${folder}' is in no layer")
        continue()
    endif()
    file(STRINGS "${SOURCE_DIR}/${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS includes)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" header "${line}")
        math(EXPR checked "${checked} + 1")
        string(REGEX MATCH "^[^/]+" target "${header}")
        if(target STREQUAL header)
            # A header beside the source ("catalogue.h") belongs to its folder.
            continue()
        endif()
        if(NOT target IN_LIST allowed)
            list(JOIN allowed ", " may)
            list(APPEND faults "${source} includes ${header}: ${folder} may include only ${may}")
        endif()
    endforeach()
endforeach()

if(faults)
    list(JOIN faults "\n  " text)
    message(FATAL_ERROR "includes against the layer order:\n  ${text}")
endif()
message(STATUS "${checked} includes follow the layer order")
