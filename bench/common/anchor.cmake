# An anchor program: built like the product (no C runtime, its own entry
# point AnchorEntry), so that it starts as lean as a program can.
function(tv2_anchor name)
  add_executable(${name} WIN32 ${name}.cpp)
  target_compile_definitions(${name} PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN)
  target_compile_options(${name} PRIVATE -Os -fno-exceptions -fno-rtti -fno-stack-protector
    -fno-asynchronous-unwind-tables -fno-unwind-tables -fno-builtin)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(entry _AnchorEntry)
  else()
    set(entry AnchorEntry)
  endif()
  target_link_options(${name} PRIVATE -nostdlib -nostartfiles -Wl,-e,${entry} -mwindows -s)
  target_link_libraries(${name} PRIVATE ${ARGN} gdi32 user32 kernel32)
endfunction()
