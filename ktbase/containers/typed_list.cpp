#include "ktbase/containers/typed_list.h"

// The members of a typed list that read the list of the other link kind.
#define KT_TYPED_LIST_DEFINE(L, Twin, Base, Name)                                          \
  L::L(const Twin& source) : Base() { Base::copyAllCells(&source); }                       \
  L::~L() {}                                                                               \
  const L& L::operator=(const Twin& source) {                                              \
    Base::copyAllCells(&source);                                                           \
    return *this;                                                                          \
  }                                                                                        \
  void L::copyAllCellsAnd##Name##s(const Twin* source) { copyAllCellsAndObjects(source); } \
  void L::copyAllCells(const Twin* source) { Base::copyAllCells(source); }

KT_TYPED_LIST_DEFINE(KtPointDList, KtPointSList, KtDList, Point)
KT_TYPED_LIST_DEFINE(KtRectDList, KtRectSList, KtDList, Rect)
KT_TYPED_LIST_DEFINE(KtPointSList, KtPointDList, KtSList, Point)
KT_TYPED_LIST_DEFINE(KtRectSList, KtRectDList, KtSList, Rect)

KtPointDListIter::~KtPointDListIter() {}
KtRectDListIter::~KtRectDListIter() {}
KtPointSListIter::~KtPointSListIter() {}
KtRectSListIter::~KtRectSListIter() {}
