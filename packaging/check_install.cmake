# Run with cmake -P: installs the build tree into PREFIX and checks the result.
# Expects BUILD_DIR, PREFIX, CONFIG, BINDIR, DATADIR, APP_ID and EXECUTABLE.
foreach(var BUILD_DIR PREFIX BINDIR DATADIR APP_ID EXECUTABLE)
    if(NOT DEFINED ${var} OR "${${var}}" STREQUAL "")
        message(FATAL_ERROR "check_install.cmake needs -D${var}=...")
    endif()
endforeach()

file(REMOVE_RECURSE "${PREFIX}")
set(config_args)
if(CONFIG)
    set(config_args --config "${CONFIG}")
endif()
execute_process(
    COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}" ${config_args}
    RESULT_VARIABLE result
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed (${result}):\n${output}")
endif()

set(executable "${PREFIX}/${BINDIR}/${EXECUTABLE}")
set(desktop "${PREFIX}/${DATADIR}/applications/${APP_ID}.desktop")
set(png "${PREFIX}/${DATADIR}/icons/hicolor/48x48/apps/${APP_ID}.png")
set(svg "${PREFIX}/${DATADIR}/icons/hicolor/scalable/apps/${APP_ID}.svg")
set(metainfo "${PREFIX}/${DATADIR}/metainfo/${APP_ID}.metainfo.xml")

set(failures)
foreach(path IN ITEMS "${executable}" "${desktop}" "${png}" "${svg}" "${metainfo}")
    if(NOT EXISTS "${path}" OR IS_DIRECTORY "${path}")
        list(APPEND failures "missing: ${path}")
    endif()
endforeach()
if(failures)
    list(JOIN failures "\n" text)
    message(FATAL_ERROR "${text}")
endif()

# The executable must be runnable by the user, not only present.
execute_process(COMMAND test -x "${executable}" RESULT_VARIABLE not_executable)
if(NOT not_executable EQUAL 0)
    list(APPEND failures "not executable: ${executable}")
endif()

# The hicolor theme files icons by size: the one in 48x48 must really be 48 by 48.
file(READ "${png}" header LIMIT 24 HEX)
string(SUBSTRING "${header}" 0 16 signature)
string(SUBSTRING "${header}" 32 16 dimensions)
if(NOT signature STREQUAL "89504e470d0a1a0a")
    list(APPEND failures "not a PNG: ${png}")
elseif(NOT dimensions STREQUAL "0000003000000030")
    list(APPEND failures "not 48x48 (IHDR ${dimensions}): ${png}")
endif()

file(READ "${svg}" svg_text)
if(NOT svg_text MATCHES "<svg[ \t\r\n]")
    list(APPEND failures "not an SVG image: ${svg}")
endif()

string(REPLACE "." "\\." id_pattern "${APP_ID}")
string(REPLACE "." "\\." executable_pattern "${EXECUTABLE}")

# The desktop entry must start the installed program and name the installed icon.
file(STRINGS "${desktop}" exec_lines REGEX "^Exec=")
file(STRINGS "${desktop}" icon_lines REGEX "^Icon=")
if(NOT exec_lines MATCHES "^Exec=([^ ]*/)?${executable_pattern}( |$)")
    list(APPEND failures "desktop entry does not start ${EXECUTABLE}: ${exec_lines}")
endif()
if(NOT icon_lines STREQUAL "Icon=${APP_ID}")
    list(APPEND failures "desktop entry does not use the icon ${APP_ID}: ${icon_lines}")
endif()

# The metainfo must describe this id and launch this desktop entry.
file(READ "${metainfo}" metainfo_text)
if(NOT metainfo_text MATCHES "<id>${id_pattern}</id>")
    list(APPEND failures "metainfo id is not ${APP_ID}")
endif()
if(NOT metainfo_text MATCHES "<launchable type=\"desktop-id\">${id_pattern}\\.desktop</launchable>")
    list(APPEND failures "metainfo does not launch ${APP_ID}.desktop")
endif()
if(metainfo_text MATCHES "@[A-Z_]+@")
    list(APPEND failures "metainfo has an unfilled placeholder: ${CMAKE_MATCH_0}")
endif()

if(failures)
    list(JOIN failures "\n" text)
    message(FATAL_ERROR "${text}")
endif()
message(STATUS "Installed layout under ${PREFIX} is complete")
