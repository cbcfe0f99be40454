# The Windows program ships as one folder: thymara.exe at its top, the Qt
# DLLs it loads beside it, the windows platform plugin in platforms/ and the
# licence texts of all of it in licences/. `cmake --install` makes that
# folder; scripts/windows/pack.sh zips it as thymara-<version>-win64.zip.
# Included from the top-level CMakeLists.txt after every other install rule.
#
# The C++ runtime (libstdc++, libgcc, winpthread) is linked statically into
# the program (-static on its link) and into Qt's DLLs (build-qt.sh), so no
# runtime DLL ships; collecting one is an error.

# licences.py reads the copyright files with python3-debian, which only
# Debian's own interpreter imports.
find_program(THYMARA_DEBIAN_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)

install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)

install(CODE "
    set(THYMARA_EXE \"$<TARGET_FILE_NAME:thymara>\")
    set(THYMARA_QT_BIN \"$<TARGET_FILE_DIR:Qt6::Core>\")
    set(THYMARA_DLL_LINKS \"${CMAKE_CURRENT_BINARY_DIR}/qt-dll-links\")
    set(THYMARA_QT_PREFIX \"${QT6_INSTALL_PREFIX}\")
    set(THYMARA_PLATFORM_PLUGIN \"$<TARGET_FILE_NAME:Qt6::QWindowsIntegrationPlugin>\")
    set(THYMARA_OBJDUMP \"${CMAKE_OBJDUMP}\")
    set(THYMARA_STRIP \"${CMAKE_STRIP}\")
    set(THYMARA_PYTHON \"${THYMARA_DEBIAN_PYTHON}\")
    set(THYMARA_LICENCES \"${PROJECT_SOURCE_DIR}/scripts/windows/licences.py\")
    set(THYMARA_TERMS \"${PROJECT_SOURCE_DIR}/packaging/copyright\")
    set(THYMARA_VERSION \"${PROJECT_VERSION}\")
    set(THYMARA_CXX \"${CMAKE_CXX_COMPILER}\")
    include(\"${CMAKE_CURRENT_LIST_DIR}/install-bundle.cmake\")
")
