#include "ktbase/containers/slist.h"

#include "ktbase/containers/list_walk.h"

// ---- KtSListCell --------------------------------------------------------------------------

KtSListCell::~KtSListCell() {}

std::int32_t KtSListCell::sizeOf() const { return sizeof(KtSListCell); }

// ---- KtSList: life cycle and conversions ---------------------------------------------------

KtSList::KtSList(KtSList&& source) noexcept
    : KtObject(), first_(source.first_), last_(source.last_), length_(source.length_) {
  source.init();
}

KtSList::KtSList(const KtDList& source) : KtObject() {
  init();
  copyAllCells(&source);
}

const KtSList& KtSList::operator=(const KtDList& source) {
  copyAllCells(&source);
  return *this;
}

KtSList::operator KtDList() const {
  KtDList copy;
  copy.copyAllCellsAndObjects(this);
  return copy;
}

KtSList::~KtSList() { deleteAllCells(); }

void KtSList::KtSListdeepCopy(const KtSList& source) {
  KtObjectdeepCopy(source);
  copyAllCellsAndObjects(&source);
}

// A list has no settings of its own: the attribute copy leaves it as it is.
void KtSList::KtSListattributeCopy(const KtSList& source) { KtObjectattributeCopy(source); }

std::int32_t KtSList::sizeOf() const {
  return static_cast<std::int32_t>(sizeof(KtSList) + length_ * sizeof(KtSListCell));
}

// ---- lookups ------------------------------------------------------------------------------

KtSListCell* KtSList::searchCell(const KtSListCell* cell) const {
  return ktListFindCell(first_, cell);
}

KtSListCell* KtSList::searchObject(const KtObject* object) const {
  return ktListFindObject(first_, object);
}

KtSListCell* KtSList::searchPreviousCell(const KtSListCell* cell) const {
  if (cell == nullptr) return KT_SLIST_NO_CELL;
  KtSListCell* previous = nullptr;
  for (KtSListCell* c = first_; c != nullptr; previous = c, c = c->next_)
    if (c == cell) return previous;
  return KT_SLIST_NO_CELL;
}

KtSListCell* KtSList::searchPreviousObject(const KtObject* object) const {
  if (object == nullptr) return KT_SLIST_NO_CELL;
  KtSListCell* previous = nullptr;
  for (KtSListCell* c = first_; c != nullptr; previous = c, c = c->next_)
    if (c->object_ == object) return previous;
  return KT_SLIST_NO_CELL;
}

std::int32_t KtSList::positionOfCell(const KtSListCell* cell) const {
  return ktListPositionOfCell<KtSListCell>(first_, cell);
}

std::int32_t KtSList::positionOfObject(const KtObject* object) const {
  return ktListPositionOfObject<KtSListCell>(first_, object);
}

KtSListCell* KtSList::pCellInPosition(std::int32_t position) const {
  return ktListCellInPosition(first_, length_, position);
}

KtObject* KtSList::pObjectInPosition(std::int32_t position) const {
  KtSListCell* cell = pCellInPosition(position);
  return cell == nullptr ? nullptr : cell->pObject();
}

int KtSList::compare(const KtSList* other) const {
  if (other == nullptr || other->length_ != length_) return 0;
  return ktListSameObjects<KtSListCell>(first_, other->first_);
}

// ---- removal ------------------------------------------------------------------------------

KtSListCell* KtSList::removeNextCell(KtSListCell* previous) {
  if (previous == KT_SLIST_NO_CELL) return nullptr;
  KtSListCell* cell = previous == nullptr ? first_ : previous->next_;
  if (cell == nullptr) return nullptr;
  if (previous == nullptr)
    first_ = cell->next_;
  else
    previous->next_ = cell->next_;
  if (cell == last_) last_ = previous;
  --length_;
  return cell;
}

KtSListCell* KtSList::removeCell(const KtSListCell* cell) {
  if (cell == nullptr) return nullptr;
  return removeNextCell(searchPreviousCell(cell));
}

int KtSList::reverse() {
  KtSListCell* previous = nullptr;
  KtSListCell* c = first_;
  while (c != nullptr) {
    KtSListCell* next = c->next_;
    c->next_ = previous;
    previous = c;
    c = next;
  }
  last_ = first_;
  first_ = previous;
  return 1;
}

// ---- bulk deletion and copying --------------------------------------------------------------

void KtSList::deleteAllCells() {
  ktListDeleteChain(first_, false);
  init();
}

void KtSList::deleteAllCellsAndObjects() {
  ktListDeleteChain(first_, true);
  init();
}

void KtSList::copyAllCells(const KtSList* source) { ktListCopyAll(*this, source, false); }
void KtSList::copyAllCells(const KtDList* source) { ktListCopyAll(*this, source, false); }
void KtSList::copyAllCellsAndObjects(const KtSList* source) { ktListCopyAll(*this, source, true); }
void KtSList::copyAllCellsAndObjects(const KtDList* source) { ktListCopyAll(*this, source, true); }

// ---- moving and copying runs ----------------------------------------------------------------

int KtSList::transferNextListPart(KtSListCell* after, KtSList* source, KtSListCell* previous,
                                  KtSListCell* toCell) {
  if (source == nullptr || source == this || previous == KT_SLIST_NO_CELL || toCell == nullptr)
    return 0;
  KtSListCell* fromCell = previous == nullptr ? source->first_ : previous->next_;
  if (fromCell == nullptr) return 0;
  std::int32_t count = fromCell == source->first_ && toCell == source->last_
                           ? source->length_
                           : ktListRunLength(fromCell, toCell);
  if (count == 0) return 0;

  if (previous == nullptr)
    source->first_ = toCell->next_;
  else
    previous->next_ = toCell->next_;
  if (toCell == source->last_) source->last_ = previous;
  source->length_ -= count;

  spliceIn(after, fromCell, toCell, count);
  return 1;
}

int KtSList::transferListPart(KtSListCell* after, KtSList* source, KtSListCell* fromCell,
                              KtSListCell* toCell) {
  if (source == nullptr) return 0;
  KtSListCell* previous = source->searchPreviousCell(fromCell);
  if (previous == KT_SLIST_NO_CELL) return 0;
  return transferNextListPart(after, source, previous, toCell);
}

// The copies are built aside and spliced in whole, so that running out of memory changes
// nothing.
int KtSList::copyRun(KtSListCell* after, const KtSList* source, const KtSListCell* fromCell,
                     const KtSListCell* toCell, bool skipPresent) {
  if (source == nullptr || source == this || fromCell == nullptr || toCell == nullptr) return 0;
  if (ktListRunLength(fromCell, toCell) == 0) return 0;
  KtSList copies;
  if (!ktListCopyRun(*this, copies, fromCell, toCell, skipPresent)) return 0;
  if (copies.length_ > 0) transferList(after, &copies);
  return 1;
}

int KtSList::copyTransferListPart(KtSListCell* after, const KtSList* source,
                                  const KtSListCell* fromCell, const KtSListCell* toCell) {
  return copyRun(after, source, fromCell, toCell, false);
}

int KtSList::copyTransferList(KtSListCell* after, const KtSList* source) {
  if (source == nullptr || source == this) return 0;
  if (source->length_ == 0) return 1;
  return copyRun(after, source, source->first_, source->last_, false);
}

// ---- the IfNotInList family -----------------------------------------------------------------

KtSListCell* KtSList::insertCellIfNotInList(KtSListCell* after, KtSListCell* cell) {
  if (cell == nullptr) return nullptr;
  KtSListCell* present = searchObject(cell->object_);
  return present != nullptr ? present : insertCell(after, cell);
}

KtSListCell* KtSList::addObjectIfNotInList(KtSListCell* after, KtObject* object) {
  KtSListCell* present = searchObject(object);
  return present != nullptr ? present : addObject(after, object);
}

// Walks exactly fromCell..toCell, remembering the last cell that stays behind, so that each
// moving cell is unlinked in constant time.
int KtSList::transferListPartIfNotInList(KtSListCell* after, KtSList* source, KtSListCell* fromCell,
                                         KtSListCell* toCell) {
  if (source == nullptr || source == this || toCell == nullptr) return 0;
  KtSListCell* staying = source->searchPreviousCell(fromCell);
  if (staying == KT_SLIST_NO_CELL || ktListRunLength(fromCell, toCell) == 0) return 0;
  KtSListCell* cell = fromCell;
  bool runEnds;
  do {
    runEnds = cell == toCell;
    KtSListCell* next = cell->next_;
    if (searchObject(cell->object_) == nullptr)
      after = insertCell(after, source->removeNextCell(staying));
    else
      staying = cell;
    cell = next;
  } while (!runEnds);
  return 1;
}

int KtSList::transferListIfNotInList(KtSListCell* after, KtSList* source) {
  if (source == nullptr || source == this) return 0;
  if (source->length_ == 0) return 1;
  return transferListPartIfNotInList(after, source, source->first_, source->last_);
}

int KtSList::copyTransferListPartIfNotInList(KtSListCell* after, const KtSList* source,
                                             const KtSListCell* fromCell,
                                             const KtSListCell* toCell) {
  return copyRun(after, source, fromCell, toCell, true);
}

int KtSList::copyTransferListIfNotInList(KtSListCell* after, const KtSList* source) {
  if (source == nullptr || source == this) return 0;
  if (source->length_ == 0) return 1;
  return copyRun(after, source, source->first_, source->last_, true);
}

// ---- KtSListIter --------------------------------------------------------------------------

KtSListIter::~KtSListIter() {}
