#include "ktbase/oml/oml_token.h"

#include "ktbase/oml/oml_bin_value.h"

// The place goes through place(), so that a node's token keeps its context.
void KtOMLToken::takeFrom(KtOMLToken* other) {
  releaseValue();
  value_[0] = other->value_[0];
  value_[1] = other->value_[1];
  tagBits(other->tagBits());
  unknownField(other->unknownField());
  place(other->fileNameIndex(), other->line(), other->position());
  other->tagBits(OML_TOKEN_ERROR);
  other->value_[0] = other->value_[1] = 0;
}

void KtOMLToken::releaseValue() {
  if (tagBits() == OML_TOKEN_BINVALUE) delete pBinValue();
  tagBits(OML_TOKEN_ERROR);
  value_[0] = value_[1] = 0;
}

KtOMLBinValue* KtOMLToken::takeBinValue() {
  if (tagBits() != OML_TOKEN_BINVALUE) return nullptr;
  KtOMLBinValue* value = pBinValue();
  tagBits(OML_TOKEN_ERROR);
  value_[0] = value_[1] = 0;
  return value;
}
