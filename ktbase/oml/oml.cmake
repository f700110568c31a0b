# OML: grammars, the objects OML files read and write, and the OML file. Paths are relative to
# the ktbase/ folder.
set(ktbase_oml_headers oml/oml_static.h oml/oml_object.h oml/oml_bin_value.h oml/oml_extension.h
  oml/oml_file.h oml/oml_token.h oml/oml_syntax.h oml/ufactory.h)
set(ktbase_oml_sources oml/oml_static.cpp oml/oml_static_language.cpp oml/oml_object.cpp
  oml/oml_bin_value.cpp oml/oml_extension.cpp oml/oml_file.cpp oml/oml_lexer.cpp
  oml/oml_diagnostics.cpp oml/oml_token.cpp oml/oml_syntax.cpp oml/oml_parser.cpp
  oml/oml_checks.cpp oml/oml_writer.cpp oml/oml_messages.cpp oml/oml_names.cpp oml/oml_tree.cpp oml/oml_words.cpp
  oml/ufactory.cpp)
set(ktbase_oml_tests oml/oml_static_test.cpp oml/oml_object_test.cpp oml/oml_lexer_test.cpp
  oml/oml_parser_test.cpp oml/oml_build_test.cpp oml/oml_writer_test.cpp
  oml/oml_corpus_test.cpp oml/oml_names_test.cpp oml/oml_syntax_test.cpp oml/ufactory_test.cpp oml/oml_test_util.cpp)
