# Project-wide compile options: every target links wattorio_options.
add_library(wattorio_options INTERFACE)
target_compile_features(wattorio_options INTERFACE cxx_std_20)
target_compile_options(wattorio_options INTERFACE -Wall -Wextra)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
   AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    # GCC 12 reports std::string concatenation with short literals as overlapping memcpy at -O2
    # (GCC bug 105329), a false positive inside libstdc++.
    target_compile_options(wattorio_options INTERFACE -Wno-restrict)
endif()
if(WATTORIO_WERROR)
    target_compile_options(wattorio_options INTERFACE -Werror)
endif()
target_compile_definitions(wattorio_options INTERFACE $<$<CONFIG:Debug>:_GLIBCXX_ASSERTIONS>)
if(WATTORIO_SANITIZE)
    target_compile_options(wattorio_options INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(wattorio_options INTERFACE -fsanitize=address,undefined)
endif()
if(WATTORIO_GUI)
    # Every conversion between bytes and QString is spelled out (Shift_JIS files pass through here).
    set(WATTORIO_QT_DEFINES QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_URL_CAST_FROM_STRING)
endif()

# A core subsystem library: every .cpp of the folder except the window files (*_window.cpp, *_qt.cpp).
function(wattorio_core_library name)
    cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    list(FILTER sources EXCLUDE REGEX "(_window|_qt|/main)\\.cpp$")
    add_library(${name} STATIC ${sources} ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC wattorio_options ${ARG_DEPENDS})
endfunction()
if(WATTORIO_FUZZ)
    # Coverage for the fuzzers in every library they link.
    target_compile_options(wattorio_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined)
    target_link_options(wattorio_options INTERFACE -fsanitize=address,undefined)
endif()
