#include "ktbase/files/platform.h"

namespace {

// The texts of the OML reader's messages; the index is the number printed with each message.
// Entries 0 to 2 are severities, the others formats whose %s are filled in at the report.
const char* const kMessages[] = {
    "Error",
    "Fatal error",
    "Warning",
    "something wrong",
    "integer number",
    "string",
    "floating point number",
    "IP address",
    "binary byte sequence",
    "`true' or `false'",
    "too many errors",
    "too many warnings",
    "memory exhausted",
    "cannot open `%s'",
    "cannot close this file",
    "left bracket without right bracket",
    "right bracket without left bracket",
    "unterminated comment",
    "unterminated string",
    "unterminated binary sequence",
    "unexpected token",
    "unexpected field",
    "unexpected identifier `%s'",
    "unexpected attribute value",
    "%s expected",
    "different value type expected",
    "object id expected",
    "`%s' reference expected",
    "reference to undefined object",
    "missing attribute `%s'",
    "object with double id",
    "double defined object of different type",
    "wrong top level object",
    "two top level objects",
    "several semantic errors detected",
    "section `%s' is not direct or unique subsection of `%s'",
    "section `%s' is not direct or unique subsection of this section `%s' of `%s'",
    "section `%s' is not direct or unique subsection of all sections (after wildcard expansion) "
    "of `%s'",
    "`%s' is not allowed in `%s'",
    "`%s' is not allowed in this section `%s' of `%s'",
    "`%s' is not allowed in `%s defaults'",
    "`%s' is not allowed in this section `%s' of `%s defaults'",
    "`%s defaults' is not allowed in `%s'",
    "`%s defaults' is not allowed in this section `%s' of `%s'",
    "`%s defaults' is not allowed in `%s defaults'",
    "`%s defaults' is not allowed in this section `%s' of `%s defaults'",
    "field `%s' is not allowed in `%s'",
    "field `%s' is not allowed in this section `%s' or all sections (after wildcard expansion) "
    "of `%s'",
    "keyword `%s' not allowed as section containing `%s' (%s)",
    "unable to set fields in several objects",
    "left bracket different than right bracket",
    "right bracket different than left bracket",
};

constexpr int kMessageCount = sizeof kMessages / sizeof kMessages[0];
static_assert(kMessageCount == 52, "the message numbers are part of the file format's messages");

}  // namespace

const char* getStringResource(int n) { return n >= 0 && n < kMessageCount ? kMessages[n] : ""; }
