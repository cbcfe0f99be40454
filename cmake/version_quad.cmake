# The four-part version Windows wants in its resources and installer, from a
# version of one to four parts: the parts not given are 0.
#
#   include(cmake/version_quad.cmake)
#   thymara_version_quad(<version> <out-var>)
#
#   cmake -DVERSION=<version> -P cmake/version_quad.cmake   prints it
function(thymara_version_quad version out)
    string(REPLACE "." ";" parts "${version}")
    list(LENGTH parts count)
    while(count LESS 4)
        list(APPEND parts 0)
        math(EXPR count "${count} + 1")
    endwhile()
    list(JOIN parts "." quad)
    set(${out} "${quad}" PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
    if(NOT VERSION MATCHES "^[0-9]+(\\.[0-9]+)?(\\.[0-9]+)?(\\.[0-9]+)?$")
        message(FATAL_ERROR "VERSION must be one to four numbers joined by '.', got '${VERSION}'")
    endif()
    thymara_version_quad("${VERSION}" quad)
    execute_process(COMMAND ${CMAKE_COMMAND} -E echo "${quad}")
endif()
