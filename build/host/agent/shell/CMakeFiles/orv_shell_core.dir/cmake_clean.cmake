file(REMOVE_RECURSE
  "CMakeFiles/orv_shell_core.dir/startup.cpp.o"
  "CMakeFiles/orv_shell_core.dir/startup.cpp.o.d"
  "liborv_shell_core.a"
  "liborv_shell_core.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/orv_shell_core.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
