# Compile options shared by the host and the Windows builds.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
add_compile_options(-Wall -Wextra -Werror)
if(WIN32)
  # Plain Win32 programs: ANSI calls, no exceptions or RTTI, runtimes linked in.
  add_compile_options(-fno-exceptions -fno-rtti)
  add_compile_definitions(WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0400 WINVER=0x0400 _WIN32_IE=0x0400)
  add_link_options(-static -static-libgcc -static-libstdc++)
  # ld would write the link time into the PE header: two builds of one
  # commit must give the same bytes.
  add_link_options(-Wl,--no-insert-timestamp)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    # Nothing unwinds the stack of a 32-bit program without exceptions.
    add_compile_options(-fno-asynchronous-unwind-tables)
    # Windows 95 runs on a 386DX and Windows 98 on a 486DX; Debian's compiler
    # would target the Pentium Pro (cmov, fcomi), whose instructions stop such
    # a machine before WinMain. Tuned for the Pentium, the commonest of them,
    # and for size (after the build type's -O3): such a PC has 4 to 16 MB.
    add_compile_options(-march=i386 -mtune=pentium -Os)
  endif()
endif()
