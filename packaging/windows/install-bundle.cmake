# Runs at install time (see bundle.cmake), after thymara.exe and the platform
# plugin are in place: adds the DLLs they need, strips every binary and writes
# the licence texts.

set(folder "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(exe "${folder}/${THYMARA_EXE}")
set(plugin "${folder}/platforms/${THYMARA_PLATFORM_PLUGIN}")

execute_process(COMMAND "${THYMARA_OBJDUMP}" -p "${exe}" OUTPUT_VARIABLE headers COMMAND_ERROR_IS_FATAL ANY)
if(NOT headers MATCHES "Subsystem[^\n]*\\(Windows GUI\\)")
    message(FATAL_ERROR "${THYMARA_EXE} is not a GUI program: it would open a console window")
endif()

# CMake compares DLL names in lower case, and depending on its version looks
# them up under that name or as the importing file spells them: on Linux,
# where names know case, each Qt DLL gets a link under either spelling.
file(REMOVE_RECURSE "${THYMARA_DLL_LINKS}")
file(MAKE_DIRECTORY "${THYMARA_DLL_LINKS}")
file(GLOB qt_dlls "${THYMARA_QT_BIN}/*.dll")
foreach(dll IN LISTS qt_dlls)
    cmake_path(GET dll FILENAME name)
    string(TOLOWER "${name}" lower)
    file(CREATE_LINK "${dll}" "${THYMARA_DLL_LINKS}/${lower}" SYMBOLIC)
    if(NOT lower STREQUAL name)
        file(CREATE_LINK "${dll}" "${THYMARA_DLL_LINKS}/${name}" SYMBOLIC)
    endif()
endforeach()

# What Windows itself provides, as far as the program and Qt import it;
# anything else has to be found beside Qt, or the install stops.
set(CMAKE_GET_RUNTIME_DEPENDENCIES_PLATFORM "windows+pe")
set(CMAKE_GET_RUNTIME_DEPENDENCIES_TOOL "objdump")
set(CMAKE_GET_RUNTIME_DEPENDENCIES_COMMAND "${THYMARA_OBJDUMP}")
file(GET_RUNTIME_DEPENDENCIES
    EXECUTABLES "${exe}"
    MODULES "${plugin}"
    DIRECTORIES "${THYMARA_DLL_LINKS}"
    PRE_EXCLUDE_REGEXES
        "^api-ms-win-" "^ext-ms-win-"
        "^(advapi32|authz|comdlg32|d3d9|d3d11|d3d12|dwmapi|dwrite|dxgi|gdi32|imm32|kernel32|mpr)\\.dll$"
        "^(msvcrt|netapi32|ole32|oleaut32|setupapi|shcore|shell32|shlwapi|user32|userenv|uxtheme)\\.dll$"
        "^(version|winmm|ws2_32|wtsapi32)\\.dll$"
    RESOLVED_DEPENDENCIES_VAR dlls
    UNRESOLVED_DEPENDENCIES_VAR unresolved
    CONFLICTING_DEPENDENCIES_PREFIX conflicting)
if(unresolved)
    message(FATAL_ERROR "Neither beside Qt (${THYMARA_QT_BIN}) nor known as part of Windows: ${unresolved}."
        " A C++ runtime DLL here means a link without -static; a Windows DLL goes into the list in ${CMAKE_CURRENT_LIST_FILE}.")
endif()
if(conflicting_FILENAMES)
    message(FATAL_ERROR "Found more than once: ${conflicting_FILENAMES}")
endif()
# Under their own names, not those of the links.
set(files)
foreach(link IN LISTS dlls)
    file(REAL_PATH "${link}" file)
    list(APPEND files "${file}")
endforeach()
file(INSTALL ${files} DESTINATION "${folder}")

# --strip-all: nothing reads symbols from the shipped files.
file(GLOB_RECURSE binaries "${folder}/*.exe" "${folder}/*.dll")
execute_process(COMMAND "${THYMARA_STRIP}" --strip-all ${binaries} COMMAND_ERROR_IS_FATAL ANY)

execute_process(COMMAND "${THYMARA_PYTHON}" "${THYMARA_LICENCES}" "${folder}" "${THYMARA_QT_PREFIX}"
        "${THYMARA_TERMS}" "${THYMARA_VERSION}" "${THYMARA_CXX}"
    COMMAND_ERROR_IS_FATAL ANY)
