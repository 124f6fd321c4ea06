file(REMOVE_RECURSE
  "CMakeFiles/orv_print_core.dir/placeholder.cpp.o"
  "CMakeFiles/orv_print_core.dir/placeholder.cpp.o.d"
  "liborv_print_core.a"
  "liborv_print_core.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/orv_print_core.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
