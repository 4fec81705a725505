# Product code runs without a C runtime: no exceptions, no RTTI, no static
# constructors (nothing runs them), no thread-safe statics (no runtime to
# guard them), no stack protector. Tests link the very same objects together
# with the C runtime and GoogleTest.
set(TOVARA2_PRODUCT_FLAGS
  -fno-exceptions -fno-rtti -fno-threadsafe-statics -fno-stack-protector
  -fno-asynchronous-unwind-tables -fno-unwind-tables
  -ffunction-sections
  -municode -Wall -Wextra -Wno-unused-parameter -Wno-cast-function-type)

# A static library of one subsystem: every .cpp in the folder.
function(tovara2_subsystem name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    # A subsystem not written yet still links as an (empty) library.
    set(sources ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${TOVARA2_PRODUCT_FLAGS})
  target_compile_definitions(${name} PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0501 WINVER=0x0501)
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()

# A plug-in DLL: TV2PackageProc exported undecorated, no dependence on
# MinGW's runtime DLLs so it loads in any host folder.
function(tovara2_package name)
  add_library(${name} SHARED ${ARGN})
  set_target_properties(${name} PROPERTIES PREFIX "" OUTPUT_NAME ${name}
    RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/plugins)
  target_compile_definitions(${name} PRIVATE UNICODE _UNICODE)
  target_link_options(${name} PRIVATE -static -Wl,--kill-at -s)
endfunction()
