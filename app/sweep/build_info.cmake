# What the sweep's results say about the build: compiler flags and build
# type as compile definitions of build_info.cpp, and the commit of the
# source tree in a header that is rewritten, when it changes, at every build.
string(TOUPPER "${CMAKE_BUILD_TYPE}" vornel_build_type_upper)
set(vornel_flags "${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_${vornel_build_type_upper}}")
if(VORNEL_SANITIZE)
  string(APPEND vornel_flags " -fsanitize=address,undefined")
endif()
string(STRIP "${vornel_flags}" vornel_flags)
set_source_files_properties(${CMAKE_CURRENT_SOURCE_DIR}/sweep/build_info.cpp PROPERTIES
  COMPILE_DEFINITIONS "VORNEL_BUILD_TYPE=\"${CMAKE_BUILD_TYPE}\";VORNEL_CXX_FLAGS=\"${vornel_flags}\"")

set(vornel_commit_header ${CMAKE_CURRENT_BINARY_DIR}/sweep_generated/app/sweep/build_commit.h)
add_custom_target(vornel_build_commit
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DOUTPUT=${vornel_commit_header}
          -P ${CMAKE_CURRENT_SOURCE_DIR}/sweep/build_commit.cmake
  BYPRODUCTS ${vornel_commit_header}
  COMMENT "Source commit for the sweep's results")
add_dependencies(vornel_app vornel_build_commit)
target_include_directories(vornel_app PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/sweep_generated)
