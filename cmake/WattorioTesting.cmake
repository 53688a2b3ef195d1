find_package(GTest REQUIRED)
include(GoogleTest)

set(WATTORIO_REALDATA_DIR "${PROJECT_SOURCE_DIR}/../shared/realdata" CACHE PATH "Public data files for import tests")
set(WATTORIO_TEST_ENV
    "LC_ALL=C.UTF-8" "TZ=Asia/Tokyo" "QT_QPA_PLATFORM=offscreen"
    "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")

# One GoogleTest program over the given sources, linked to the given libraries.
function(wattorio_add_gtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE wattorio_options GTest::gtest GTest::gtest_main GTest::gmock ${ARG_LIBS})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
    target_compile_definitions(${name} PRIVATE
        WATTORIO_REALDATA_DIR="${WATTORIO_REALDATA_DIR}"
        WATTORIO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "${WATTORIO_TEST_ENV}")
endfunction()

# One Qt Test program (offscreen) over the given sources, linked to the GUI objects.
function(wattorio_add_qttest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE wattorio_options wattorio_gui Qt6::Test ${ARG_LIBS})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
    target_compile_definitions(${name} PRIVATE ${WATTORIO_QT_DEFINES}
        WATTORIO_REALDATA_DIR="${WATTORIO_REALDATA_DIR}"
        WATTORIO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    add_test(NAME ${name} COMMAND ${name})
    # Fontconfig and the platform plugin keep caches for the life of the process: leak checks off here.
    set_tests_properties(${name} PROPERTIES ENVIRONMENT
        "${WATTORIO_TEST_ENV};ASAN_OPTIONS=detect_leaks=0" TIMEOUT 300)
endfunction()
