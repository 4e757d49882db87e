# Small helpers so that each folder's CMakeLists stays a few lines long.

set(TAVIN_WARNINGS -Wall -Wextra)

function(tavin_target_defaults target)
    target_compile_options(${target} PRIVATE ${TAVIN_WARNINGS})
    if(TAVIN_SANITIZE STREQUAL "thread")
        target_compile_options(${target} PRIVATE -fsanitize=thread -fno-omit-frame-pointer)
        target_link_options(${target} PRIVATE -fsanitize=thread)
    elseif(TAVIN_SANITIZE)
        target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer)
        target_link_options(${target} PRIVATE -fsanitize=address,undefined)
    endif()
endfunction()

# tavin_add_library(NAME <target> SOURCES ... [PUBLIC_LIBS ...] [PRIVATE_LIBS ...])
# The folder of the CMakeLists that calls it is the include root of the library's users
# (headers are included as "skin/SkinXml.h" relative to src/).
function(tavin_add_library)
    cmake_parse_arguments(ARG "" "NAME" "SOURCES;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
    add_library(${ARG_NAME} STATIC ${ARG_SOURCES})
    target_include_directories(${ARG_NAME} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${ARG_NAME} PUBLIC ${ARG_PUBLIC_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
    tavin_target_defaults(${ARG_NAME})
endfunction()

# tavin_add_test_suite(NAME <suite> SOURCES ... LIBS ... [GUI])
# One GoogleTest executable per suite, with the shared test main and support library; GUI suites
# get an application object with widgets and run on the offscreen platform.
function(tavin_add_test_suite)
    cmake_parse_arguments(ARG "GUI" "NAME" "SOURCES;LIBS" ${ARGN})
    set(target test_${ARG_NAME})
    add_executable(${target} ${ARG_SOURCES})
    set(test_main tavin_test_main)
    if(ARG_GUI)
        set(test_main tavin_test_main_gui)
    endif()
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} tavin_test_support ${test_main} GTest::gtest GTest::gmock)
    target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    target_compile_definitions(${target} PRIVATE
        TAVIN_BIN_DIR="${TAVIN_BIN_DIR}" TAVIN_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    tavin_target_defaults(${target})
    if(TAVIN_SANITIZE STREQUAL "thread")
        # Keeps the sanitizer checking after the test starts a child program, and lets it follow
        # threads that meet inside Qt.
        target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/SanitizerClone.cpp
            ${PROJECT_SOURCE_DIR}/tests/support/SanitizerQt.cpp)
        target_link_libraries(${target} PRIVATE ${CMAKE_DL_LIBS})
    endif()
    # Each property carries a single value: a list here would be split into separate
    # property names by gtest_discover_tests.
    set(platform "QT_QPA_PLATFORM=reset:")
    if(ARG_GUI)
        set(platform "QT_QPA_PLATFORM=set:offscreen")
    endif()
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "TZ=UTC" ENVIRONMENT_MODIFICATION "${platform}" LABELS ${ARG_NAME})
endfunction()

# tavin_add_benchmark(NAME <bench> SOURCES ... LIBS ...)
function(tavin_add_benchmark)
    cmake_parse_arguments(ARG "" "NAME" "SOURCES;LIBS" ${ARGN})
    set(target bench_${ARG_NAME})
    add_executable(${target} ${ARG_SOURCES})
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} benchmark::benchmark)
    target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/bench)
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
    target_compile_definitions(${target} PRIVATE TAVIN_BIN_DIR="${TAVIN_BIN_DIR}")
    tavin_target_defaults(${target})
endfunction()
