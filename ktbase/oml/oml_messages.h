// The OML reader's messages: every number printed with a message has its name here, with its
// text beside it. Entries 0 to 2 are severities and 4 to 9 the kinds a value may be expected to
// have (the arguments of KT_OML_MSG_EXPECTED); the others are formats whose "%s" are filled in
// when the message is reported. The numbers are part of what users see and never change.
// Internal to the library: not installed.
#ifndef KTBASE_OML_OML_MESSAGES_H
#define KTBASE_OML_OML_MESSAGES_H

// X(name, number, text): one line for each message, in the order of their numbers.
// clang-format off
#define KT_OML_MESSAGES(X)                                                                      \
  X(ERROR, 0, "Error")                                                                          \
  X(FATAL_ERROR, 1, "Fatal error")                                                              \
  X(WARNING, 2, "Warning")                                                                      \
  X(SOMETHING_WRONG, 3, "something wrong")                                                      \
  X(INTEGER_NUMBER, 4, "integer number")                                                        \
  X(STRING, 5, "string")                                                                        \
  X(REAL_NUMBER, 6, "floating point number")                                                    \
  X(IP_ADDRESS, 7, "IP address")                                                                \
  X(BYTE_SEQUENCE, 8, "binary byte sequence")                                                   \
  X(TRUE_OR_FALSE, 9, "`true' or `false'")                                                      \
  X(TOO_MANY_ERRORS, 10, "too many errors")                                                     \
  X(TOO_MANY_WARNINGS, 11, "too many warnings")                                                 \
  X(MEMORY_EXHAUSTED, 12, "memory exhausted")                                                   \
  X(CANNOT_OPEN, 13, "cannot open `%s'")                                                        \
  X(CANNOT_CLOSE, 14, "cannot close this file")                                                 \
  X(UNCLOSED_BRACKET, 15, "left bracket without right bracket")                                 \
  X(UNOPENED_BRACKET, 16, "right bracket without left bracket")                                 \
  X(UNTERMINATED_COMMENT, 17, "unterminated comment")                                           \
  X(UNTERMINATED_STRING, 18, "unterminated string")                                             \
  X(UNTERMINATED_BYTES, 19, "unterminated binary sequence")                                     \
  X(UNEXPECTED_TOKEN, 20, "unexpected token")                                                   \
  X(UNEXPECTED_FIELD, 21, "unexpected field")                                                   \
  X(UNEXPECTED_IDENTIFIER, 22, "unexpected identifier `%s'")                                    \
  X(UNEXPECTED_VALUE, 23, "unexpected attribute value")                                         \
  X(EXPECTED, 24, "%s expected")                                                                \
  X(WRONG_VALUE, 25, "different value type expected")                                           \
  X(ID_EXPECTED, 26, "object id expected")                                                      \
  X(REFERENCE_TYPE, 27, "`%s' reference expected")                                              \
  X(UNDEFINED_REFERENCE, 28, "reference to undefined object")                                   \
  X(MISSING_ATTRIBUTE, 29, "missing attribute `%s'")                                            \
  X(DOUBLE_ID, 30, "object with double id")                                                     \
  X(DOUBLE_TYPE, 31, "double defined object of different type")                                 \
  X(WRONG_TOP_LEVEL, 32, "wrong top level object")                                              \
  X(TWO_TOP_LEVEL, 33, "two top level objects")                                                 \
  X(SEMANTIC_ERRORS, 34, "several semantic errors detected")                                    \
  X(SECTION_IN_TYPE, 35, "section `%s' is not direct or unique subsection of `%s'")             \
  X(SECTION_IN_SECTION, 36,                                                                     \
    "section `%s' is not direct or unique subsection of this section `%s' of `%s'")             \
  X(SECTION_IN_WILDCARD, 37,                                                                    \
    "section `%s' is not direct or unique subsection of all sections (after wildcard "          \
    "expansion) of `%s'")                                                                       \
  X(OBJECT_PLACE, 38, "`%s' is not allowed in `%s'")                                            \
  X(OBJECT_PLACE_SECTION, 39, "`%s' is not allowed in this section `%s' of `%s'")               \
  X(OBJECT_PLACE_DEFAULTS, 40, "`%s' is not allowed in `%s defaults'")                          \
  X(OBJECT_PLACE_DEFAULTS_SECTION, 41,                                                          \
    "`%s' is not allowed in this section `%s' of `%s defaults'")                                \
  X(DEFAULTS_PLACE, 42, "`%s defaults' is not allowed in `%s'")                                 \
  X(DEFAULTS_PLACE_SECTION, 43, "`%s defaults' is not allowed in this section `%s' of `%s'")    \
  X(DEFAULTS_PLACE_DEFAULTS, 44, "`%s defaults' is not allowed in `%s defaults'")               \
  X(DEFAULTS_PLACE_DEFAULTS_SECTION, 45,                                                        \
    "`%s defaults' is not allowed in this section `%s' of `%s defaults'")                       \
  X(FIELD_PLACE, 46, "field `%s' is not allowed in `%s'")                                       \
  X(FIELD_PLACE_SECTION, 47,                                                                    \
    "field `%s' is not allowed in this section `%s' or all sections (after wildcard "           \
    "expansion) of `%s'")                                                                       \
  X(TWO_KEYWORDS, 48, "keyword `%s' not allowed as section containing `%s' (%s)")              \
  X(FIELDS_NOT_SET, 49, "unable to set fields in several objects")                              \
  X(BRACKET_LEFT_DIFFERENT, 50, "left bracket different than right bracket")                    \
  X(BRACKET_RIGHT_DIFFERENT, 51, "right bracket different than left bracket")
// clang-format on

enum KtOMLMessageEnum : int {
#define KT_OML_MESSAGE_NAME(name, number, text) KT_OML_MSG_##name = number,
  KT_OML_MESSAGES(KT_OML_MESSAGE_NAME)
#undef KT_OML_MESSAGE_NAME
      KT_OML_MESSAGE_COUNT
};

// The text of a message; "" for a number outside the table.
const char* ktOMLMessageText(int code);

#endif  // KTBASE_OML_OML_MESSAGES_H
