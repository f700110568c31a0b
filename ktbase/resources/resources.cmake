# Resources: the resource database, colours and shape resources. Paths are relative to the
# ktbase/ folder.
set(ktbase_resources_headers resources/resource.h resources/color.h resources/shape_resource.h)
set(ktbase_resources_sources resources/resource.cpp resources/color.cpp
  resources/shape_resource.cpp)
set(ktbase_resources_tests resources/resource_test.cpp resources/color_test.cpp
  resources/shape_resource_test.cpp)
