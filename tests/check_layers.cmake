# Fails when the layers of src/ that a folder's files include are not exactly
# the libraries its library links in src/CMakeLists.txt, or when a library
# links one that is not below it. So the declared library graph is the real
# one, and an #include that runs the wrong way fails here before it fails to
# link. main.cpp counts as a folder of its own, the thymara executable.
#
#   cmake -DSOURCE_DIR=<src> -P check_layers.cmake
cmake_minimum_required(VERSION 3.21)

# The layers, bottom up: a library may link only those before it.
set(layers common catalogue platform links forms accessibility windows app main)

get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)
if(NOT IS_DIRECTORY "${SOURCE_DIR}" OR NOT EXISTS "${SOURCE_DIR}/CMakeLists.txt")
    message(FATAL_ERROR "SOURCE_DIR must name the src folder")
endif()

set(faults)

# What each library links, as declared: the thymara_ libraries named where its
# link dependencies are given (PUBLIC for a layer, PRIVATE for the executable).
file(READ "${SOURCE_DIR}/CMakeLists.txt" build)
foreach(layer IN LISTS layers)
    if(layer STREQUAL "main")
        set(pattern "target_link_libraries\\(thymara PRIVATE([^)]*)\\)")
    else()
        set(pattern "target_link_libraries\\(thymara_${layer} PUBLIC([^)]*)\\)")
    endif()
    set(links_${layer})
    set(used_${layer})
    if(NOT build MATCHES "${pattern}")
        list(APPEND faults "src/CMakeLists.txt declares no links of the ${layer} layer")
        continue()
    endif()
    string(REGEX MATCHALL "thymara_[a-z]+" linked "${CMAKE_MATCH_1}")
    list(FIND layers "${layer}" level)
    foreach(library IN LISTS linked)
        string(REPLACE "thymara_" "" target "${library}")
        list(FIND layers "${target}" target_level)
        if(target_level LESS 0 OR NOT target_level LESS level)
            list(APPEND faults "${layer} links ${library}, which is not a layer below it")
        endif()
        list(APPEND links_${layer} "${target}")
    endforeach()
endforeach()

set(checked 0)
file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}"
     "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp" "${SOURCE_DIR}/*.h.in")
foreach(source IN LISTS sources)
    string(REGEX MATCH "^[^/]+" folder "${source}")
    if(source STREQUAL "main.cpp")
        set(folder main)
    elseif(folder STREQUAL source OR NOT folder IN_LIST layers)
        list(APPEND faults "${source}: folder '${folder}' is in no layer")
        continue()
    endif()
    file(STRINGS "${SOURCE_DIR}/${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS includes)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" header "${line}")
        math(EXPR checked "${checked} + 1")
        string(REGEX MATCH "^[^/]+" target "${header}")
        if(target STREQUAL header OR target STREQUAL folder)
            # A header beside the source ("catalogue.h") belongs to its folder.
            continue()
        endif()
        list(APPEND used_${folder} "${target}")
        if(NOT target IN_LIST links_${folder})
            list(JOIN links_${folder} ", " may)
            list(APPEND faults
                 "${source} includes ${header}, but ${folder} links only: ${may}")
        endif()
    endforeach()
endforeach()

foreach(layer IN LISTS layers)
    foreach(target IN LISTS links_${layer})
        if(NOT target IN_LIST used_${layer})
            list(APPEND faults "${layer} links thymara_${target}, but none of its files includes it")
        endif()
    endforeach()
endforeach()

if(faults)
    list(REMOVE_DUPLICATES faults)
    list(JOIN faults "\n  " text)
    message(FATAL_ERROR "the library graph is not the include graph:\n  ${text}")
endif()
message(STATUS "${checked} includes follow the layers each library links")
