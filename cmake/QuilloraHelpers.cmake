# Build helpers shared by every component.

# Compiler warnings for our own targets; errors when QUILLORA_WERROR is on (CI).
function(quillora_set_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wno-missing-field-initializers)
    if(QUILLORA_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# quillora_add_library(NAME SOURCES ... LIBS ...)
# A static library whose headers are included as "<component>/<Header>.h" from src/.
function(quillora_add_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
    quillora_set_warnings(${name})
endfunction()

# quillora_add_test_suite(NAME SOURCES ... LIBS ...)
# One GoogleTest executable per component, run by CTest with the offscreen Qt platform.
function(quillora_add_test_suite name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name}_tests ${ARG_SOURCES})
    target_link_libraries(${name}_tests PRIVATE quillora_test_support GTest::gtest GTest::gmock ${ARG_LIBS})
    quillora_set_warnings(${name}_tests)
    include(GoogleTest)
    gtest_discover_tests(${name}_tests
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" LABELS ${name}
        DISCOVERY_TIMEOUT 60)
endfunction()

# quillora_add_benchmark(NAME SOURCES ... LIBS ...)
function(quillora_add_benchmark name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name}_bench ${ARG_SOURCES})
    target_link_libraries(${name}_bench PRIVATE benchmark::benchmark ${ARG_LIBS})
    quillora_set_warnings(${name}_bench)
endfunction()
