agent/print/CMakeFiles/orv_print_core.dir/placeholder.cpp.o: \
 /work/main/agent/print/placeholder.cpp /usr/include/stdc-predef.h
