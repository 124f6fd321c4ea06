file(REMOVE_RECURSE
  "CMakeFiles/orv_services_core.dir/placeholder.cpp.o"
  "CMakeFiles/orv_services_core.dir/placeholder.cpp.o.d"
  "liborv_services_core.a"
  "liborv_services_core.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/orv_services_core.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
