# Files and strings: the formatter, string handles and pools, the platform layer with the
# message table, files and text files. Paths are relative to the ktbase/ folder; posix_io.h and
# c_locale.h are private to the library and not installed.
set(ktbase_files_headers files/format.h files/string_pool.h files/platform.h files/file.h
  files/text_file.h)
set(ktbase_files_sources files/format.cpp files/string_pool.cpp files/platform.cpp
  files/file.cpp files/text_file.cpp files/posix_io.h files/c_locale.h files/c_locale.cpp)
set(ktbase_files_tests files/format_test.cpp files/string_pool_test.cpp files/file_test.cpp
  files/text_file_test.cpp)
