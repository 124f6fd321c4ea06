# The programs that ship (OrvAgent, OrvSetup, orvprobe) run on every Windows
# from 95 on: no C or C++ runtime DLL or library, only the system DLLs. They
# get their own start-up and memory routines (common/crt) and a Windows 4.0
# header, GUI or, with CONSOLE, console.
# Without libgcc, a stack frame over 4 KiB (___chkstk_ms) or a 64-bit division
# in the 32-bit build (__udivdi3) fails the link: keep such code out of them.
function(orv_shipped_program target)
  if("CONSOLE" IN_LIST ARGN)
    set(start mainCRTStartup)
    set(subsystem console)
    set(crt orv_crt_console)
  else()
    set(start WinMainCRTStartup)
    set(subsystem windows)
    set(crt orv_crt)
  endif()
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(start _${start})  # C names carry an underscore on i386
  endif()
  target_link_libraries(${target} PRIVATE ${crt})
  target_link_options(${target} PRIVATE
    -nostdlib -Wl,-e,${start} -s -Wl,--gc-sections
    -Wl,--subsystem,${subsystem}:4.0 -Wl,--major-os-version,4 -Wl,--minor-os-version,0
    # Data imported without dllimport would need the runtime's relocator.
    -Wl,--disable-auto-import -Wl,--disable-runtime-pseudo-reloc)
endfunction()
