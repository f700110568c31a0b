# The containers built on the lists: binary trees, the binary heap, sorted lists and the typed
# point and rectangle lists. Paths are relative to the ktbase/ folder.
list(APPEND ktbase_containers_headers containers/bin_tree.h containers/bin_heap.h
  containers/sorted_list.h containers/typed_list.h)
list(APPEND ktbase_containers_sources containers/bin_tree.cpp containers/bin_heap.cpp
  containers/sorted_list.cpp containers/typed_list.cpp)
list(APPEND ktbase_containers_tests containers/bin_tree_test.cpp
  containers/bin_heap_test.cpp containers/sorted_list_test.cpp containers/typed_list_test.cpp)
