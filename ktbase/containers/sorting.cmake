# Sorting and hashing: the list sorts and the index hash table. Paths are relative to the ktbase/
# folder.
list(APPEND ktbase_containers_headers containers/hash_table.h containers/list_sort.h)
list(APPEND ktbase_containers_sources containers/hash_table.cpp containers/list_sort.cpp)
list(APPEND ktbase_containers_tests containers/hash_table_test.cpp containers/list_sort_test.cpp
  containers/list_sort_differential_test.cpp)
