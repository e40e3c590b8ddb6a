# Compiler strictness for the project's own targets (never for Qt's headers,
# which come in as system includes through the imported targets).
function(tolvo_strict target)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion -Wshadow
        -Wnon-virtual-dtor -Woverloaded-virtual -Werror)
    target_compile_definitions(${target} PRIVATE
        QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_CAST_FROM_BYTEARRAY
        QT_NO_URL_CAST_FROM_STRING QT_NO_FOREACH QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
        QT_STRICT_ITERATORS QT_USE_QSTRINGBUILDER)
    if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        # qCWarning(category) << ... leaves the macro's variadic part empty,
        # which clang's -Wpedantic reports before C++20.
        target_compile_options(${target} PRIVATE -Wno-gnu-zero-variadic-macro-arguments)
    endif()
endfunction()

# A static library of every .cpp in the folder, minus the other platform's
# implementations (*_win32.cpp on POSIX, *_posix.cpp on Windows) and minus
# EXCLUDE. A folder without sources yet yields an interface library so that
# dependants link already.
function(tolvo_library name)
    cmake_parse_arguments(ARG "" "" "GLOB;EXCLUDE;LIBS" ${ARGN})
    if(NOT ARG_GLOB)
        set(ARG_GLOB *.cpp)
    endif()
    set(sources)
    foreach(pattern IN LISTS ARG_GLOB)
        file(GLOB found CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${pattern})
        list(APPEND sources ${found})
    endforeach()
    if(WIN32)
        list(FILTER sources EXCLUDE REGEX "_posix\\.cpp$")
    else()
        list(FILTER sources EXCLUDE REGEX "_win32\\.cpp$")
    endif()
    foreach(excluded IN LISTS ARG_EXCLUDE)
        list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
    endforeach()
    if(sources)
        add_library(${name} STATIC ${sources})
        target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} PUBLIC ${ARG_LIBS})
        tolvo_strict(${name})
    else()
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} INTERFACE ${ARG_LIBS})
    endif()
endfunction()

# One Qt Test executable per class or behaviour group.
#   tolvo_add_test(tst_frame SOURCES tst_frame.cpp LIBS tolvo_codec [GUI] [LABELS comm])
# GUI tests run on the offscreen platform. The label "threaded" marks the tests
# that the ThreadSanitizer build runs.
function(tolvo_add_test name)
    cmake_parse_arguments(ARG "GUI" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests/support)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    tolvo_strict(${name})
    add_test(NAME ${name} COMMAND ${name})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    set(env "QT_QPA_PLATFORM=offscreen" "TOLVO_BIN_DIR=${CMAKE_BINARY_DIR}/bin")
    set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT} ENVIRONMENT "${env}")
    if(ARG_LABELS)
        set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
    endif()
endfunction()
