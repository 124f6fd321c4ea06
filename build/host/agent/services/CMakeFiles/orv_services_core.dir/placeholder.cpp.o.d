agent/services/CMakeFiles/orv_services_core.dir/placeholder.cpp.o: \
 /work/main/agent/services/placeholder.cpp /usr/include/stdc-predef.h
