file(REMOVE_RECURSE
  "CMakeFiles/orv_channel_core.dir/channel.cpp.o"
  "CMakeFiles/orv_channel_core.dir/channel.cpp.o.d"
  "CMakeFiles/orv_channel_core.dir/exchange_block.cpp.o"
  "CMakeFiles/orv_channel_core.dir/exchange_block.cpp.o.d"
  "liborv_channel_core.a"
  "liborv_channel_core.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/orv_channel_core.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
