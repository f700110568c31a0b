# Resources: the resource database, colours and shape resources. Paths are relative to the
# ktbase/ folder.
set(ktbase_resources_headers resources/resource.h resources/color.h)
set(ktbase_resources_sources resources/resource.cpp resources/color.cpp)
set(ktbase_resources_tests resources/resource_test.cpp resources/color_test.cpp)
