#include "ktbase/oml/oml_token.h"

#include "ktbase/oml/oml_bin_value.h"

KtOMLToken::~KtOMLToken() { releaseValue(); }

void KtOMLToken::takeFrom(KtOMLToken* other) {
  releaseValue();
  value_ = other->value_;
  fileNameIndex_ = other->fileNameIndex_;
  line_ = other->line_;
  position_ = other->position_;
  tag_ = other->tag_;
  unknownField_ = other->unknownField_;
  other->tag_ = OML_TOKEN_ERROR;
  other->value_.integer = 0;
}

void KtOMLToken::releaseValue() {
  if (tag_ == OML_TOKEN_BINVALUE) delete value_.binValue;
  tag_ = OML_TOKEN_ERROR;
  value_.integer = 0;
}

KtOMLBinValue* KtOMLToken::takeBinValue() {
  if (tag_ != OML_TOKEN_BINVALUE) return nullptr;
  KtOMLBinValue* value = value_.binValue;
  tag_ = OML_TOKEN_ERROR;
  value_.integer = 0;
  return value;
}
