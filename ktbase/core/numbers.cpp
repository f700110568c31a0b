#include "ktbase/core/numbers.h"

KtInt::~KtInt() {}
void KtInt::KtIntdeepCopy(const KtInt& source) {
  KtObjectdeepCopy(source);
  value_ = source.value_;
}
void KtInt::KtIntattributeCopy(const KtInt& source) { KtIntdeepCopy(source); }

KtLong::~KtLong() {}
void KtLong::KtLongdeepCopy(const KtLong& source) {
  KtObjectdeepCopy(source);
  value_ = source.value_;
}
void KtLong::KtLongattributeCopy(const KtLong& source) { KtLongdeepCopy(source); }

KtDouble::~KtDouble() {}
void KtDouble::KtDoubledeepCopy(const KtDouble& source) {
  KtObjectdeepCopy(source);
  value_ = source.value_;
}
void KtDouble::KtDoubleattributeCopy(const KtDouble& source) { KtDoubledeepCopy(source); }
