
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/tests/unit/fake_os.cpp" "tests/unit/CMakeFiles/unit_tests.dir/fake_os.cpp.o" "gcc" "tests/unit/CMakeFiles/unit_tests.dir/fake_os.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  "/work/main/build/host/agent/services/CMakeFiles/orv_services_core.dir/DependInfo.cmake"
  "/work/main/build/host/agent/print/CMakeFiles/orv_print_core.dir/DependInfo.cmake"
  "/work/main/build/host/agent/shell/CMakeFiles/orv_shell_core.dir/DependInfo.cmake"
  "/work/main/build/host/agent/channel/CMakeFiles/orv_channel_core.dir/DependInfo.cmake"
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
