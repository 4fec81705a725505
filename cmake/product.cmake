# Product code runs without a C runtime: no exceptions, no RTTI, no static
# constructors (nothing runs them), no thread-safe statics (no runtime to
# guard them), no stack protector. Tests link the very same objects together
# with the C runtime and GoogleTest.
set(TOVARA2_PRODUCT_FLAGS
  -fno-exceptions -fno-rtti -fno-threadsafe-statics -fno-stack-protector
  -fno-asynchronous-unwind-tables -fno-unwind-tables
  -ffunction-sections
  -municode -Wall -Wextra -Wno-unused-parameter -Wno-cast-function-type)

# The 32-bit product is optimised as one unit (link-time optimisation): it
# inlines and drops across files what a per-file build must keep. Test
# programs of that tree link the same libraries and so the same code. The
# 64-bit twin only runs tests and keeps its faster per-file build.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(TOVARA2_LTO ON)
  # x86 Windows needs no frame pointer to unwind, and guarantees only 4-byte
  # stack alignment anyway (the code uses no SSE that would want more).
  # Window procedures gain nothing from inlining beyond the smallest
  # helpers. The limit holds for the -O2 files of settings/ too: link-time
  # optimisation merges the limits of all files into one, and keeping those
  # files out of it to give them their own costs 4 KB (their parse speed is
  # the same within noise either way).
  list(APPEND TOVARA2_PRODUCT_FLAGS -fomit-frame-pointer -mpreferred-stack-boundary=2 -finline-limit=4)
else()
  set(TOVARA2_LTO OFF)
endif()

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
  set_target_properties(${name} PROPERTIES INTERPROCEDURAL_OPTIMIZATION ${TOVARA2_LTO})
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
