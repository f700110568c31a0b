#include "ktbase/containers/dlist.h"

#include "ktbase/containers/list_walk.h"

// ---- KtDListCell --------------------------------------------------------------------------

KtDListCell::~KtDListCell() {}

void KtDListCell::KtDListCelldeepCopy(const KtDListCell& source) {
  KtObjectdeepCopy(source);
  object_ = source.object_ == nullptr ? nullptr : source.object_->cloneObject();
}

void KtDListCell::KtDListCellattributeCopy(const KtDListCell& source) {
  KtObjectattributeCopy(source);
  object_ = source.object_;
}

std::int32_t KtDListCell::sizeOf() const { return sizeof(KtDListCell); }

// ---- KtDList: life cycle and conversions ---------------------------------------------------

KtDList::KtDList(KtDList&& source) noexcept
    : KtObject(), first_(source.first_), last_(source.last_), length_(source.length_) {
  source.init();
}

KtDList::KtDList(const KtSList& source) : KtObject() {
  init();
  copyAllCells(&source);
}

const KtDList& KtDList::operator=(const KtSList& source) {
  copyAllCells(&source);
  return *this;
}

KtDList::operator KtSList() const {
  KtSList copy;
  copy.copyAllCellsAndObjects(this);
  return copy;
}

KtDList::~KtDList() { deleteAllCells(); }

void KtDList::KtDListdeepCopy(const KtDList& source) {
  KtObjectdeepCopy(source);
  copyAllCellsAndObjects(&source);
}

// A list has no settings of its own: the attribute copy leaves it as it is.
void KtDList::KtDListattributeCopy(const KtDList& source) { KtObjectattributeCopy(source); }

std::int32_t KtDList::sizeOf() const {
  return static_cast<std::int32_t>(sizeof(KtDList) + length_ * sizeof(KtDListCell));
}

// ---- lookups ------------------------------------------------------------------------------

KtDListCell* KtDList::searchCell(const KtDListCell* cell) const {
  return ktListFindCell(first_, cell);
}

KtDListCell* KtDList::searchObject(const KtObject* object) const {
  return ktListFindObject(first_, object);
}

std::int32_t KtDList::positionOfCell(const KtDListCell* cell) const {
  return ktListPositionOfCell<KtDListCell>(first_, cell);
}

std::int32_t KtDList::positionOfObject(const KtObject* object) const {
  return ktListPositionOfObject<KtDListCell>(first_, object);
}

KtDListCell* KtDList::pCellInPosition(std::int32_t position) const {
  return ktListCellInPosition(first_, length_, position);
}

KtObject* KtDList::pObjectInPosition(std::int32_t position) const {
  KtDListCell* cell = pCellInPosition(position);
  return cell == nullptr ? nullptr : cell->pObject();
}

int KtDList::compare(const KtDList* other) const {
  if (other == nullptr || other->length_ != length_) return 0;
  return ktListSameObjects<KtDListCell>(first_, other->first_);
}

// ---- reordering ---------------------------------------------------------------------------

void KtDList::swapPosition(KtDListCell* cellA, KtDListCell* cellB) {
  if (cellA == cellB) return;
  if (cellB->next_ == cellA) {
    insertCell(cellA, removeCell(cellB));
    return;
  }
  bool aPrecedesB = cellA->next_ == cellB;
  KtDListCell* beforeA = cellA->previous_;
  removeCell(cellA);
  if (aPrecedesB) {
    insertCell(cellB, cellA);
    return;
  }
  KtDListCell* beforeB = cellB->previous_;
  insertCell(beforeB, cellA);
  removeCell(cellB);
  insertCell(beforeA, cellB);
}

int KtDList::reverse() {
  for (KtDListCell* c = first_; c != nullptr; c = c->previous_) {
    KtDListCell* next = c->next_;
    c->next_ = c->previous_;
    c->previous_ = next;
  }
  KtDListCell* oldFirst = first_;
  first_ = last_;
  last_ = oldFirst;
  return 1;
}

// ---- bulk deletion and copying --------------------------------------------------------------

void KtDList::deleteAllCells() {
  ktListDeleteChain(first_, false);
  init();
}

void KtDList::deleteAllCellsAndObjects() {
  ktListDeleteChain(first_, true);
  init();
}

void KtDList::copyAllCells(const KtDList* source) { ktListCopyAll(*this, source, false); }
void KtDList::copyAllCells(const KtSList* source) { ktListCopyAll(*this, source, false); }
void KtDList::copyAllCellsAndObjects(const KtDList* source) { ktListCopyAll(*this, source, true); }
void KtDList::copyAllCellsAndObjects(const KtSList* source) { ktListCopyAll(*this, source, true); }

// ---- moving and copying runs ----------------------------------------------------------------

std::int32_t KtDList::runLength(const KtDList* source, const KtDListCell* fromCell,
                                const KtDListCell* toCell) const {
  if (source == nullptr || source == this || fromCell == nullptr || toCell == nullptr) return 0;
  if (fromCell == source->first_ && toCell == source->last_) return source->length_;
  return ktListRunLength(fromCell, toCell);
}

int KtDList::transferListPart(KtDListCell* after, KtDList* source, KtDListCell* fromCell,
                              KtDListCell* toCell) {
  std::int32_t count = runLength(source, fromCell, toCell);
  if (count == 0) return 0;
  source->cutOut(fromCell, toCell, count);
  spliceIn(after, fromCell, toCell, count);
  return 1;
}

// The copies are built aside and spliced in whole, so that running out of memory changes
// nothing.
int KtDList::copyRun(KtDListCell* after, const KtDList* source, const KtDListCell* fromCell,
                     const KtDListCell* toCell, bool skipPresent) {
  if (runLength(source, fromCell, toCell) == 0) return 0;
  KtDList copies;
  if (!ktListCopyRun(*this, copies, fromCell, toCell, skipPresent)) return 0;
  if (copies.length_ > 0) transferList(after, &copies);
  return 1;
}

int KtDList::copyTransferListPart(KtDListCell* after, const KtDList* source,
                                  const KtDListCell* fromCell, const KtDListCell* toCell) {
  return copyRun(after, source, fromCell, toCell, false);
}

int KtDList::copyTransferList(KtDListCell* after, const KtDList* source) {
  if (source == nullptr || source == this) return 0;
  if (source->length_ == 0) return 1;
  return copyRun(after, source, source->first_, source->last_, false);
}

int KtDList::merge(KtDList* listA, KtDList* listB) {
  if (listA == nullptr || listB == nullptr || listA == this || listB == this || listA == listB)
    return 0;
  while (listA->first_ != nullptr && listB->first_ != nullptr) {
    appendCell(listA->removeCell(listA->first_));
    appendCell(listB->removeCell(listB->first_));
  }
  appendList(listA);
  appendList(listB);
  return 1;
}

// ---- the IfNotInList family -----------------------------------------------------------------

KtDListCell* KtDList::insertCellIfNotInList(KtDListCell* after, KtDListCell* cell) {
  if (cell == nullptr) return nullptr;
  KtDListCell* present = searchObject(cell->object_);
  return present != nullptr ? present : insertCell(after, cell);
}

KtDListCell* KtDList::addObjectIfNotInList(KtDListCell* after, KtObject* object) {
  KtDListCell* present = searchObject(object);
  return present != nullptr ? present : addObject(after, object);
}

int KtDList::transferListPartIfNotInList(KtDListCell* after, KtDList* source, KtDListCell* fromCell,
                                         KtDListCell* toCell) {
  if (runLength(source, fromCell, toCell) == 0) return 0;
  KtDListCell* cell = fromCell;
  bool runEnds;
  do {
    runEnds = cell == toCell;
    KtDListCell* next = cell->next_;
    if (searchObject(cell->object_) == nullptr) {
      source->removeCell(cell);
      after = insertCell(after, cell);
    }
    cell = next;
  } while (!runEnds);
  return 1;
}

int KtDList::transferListIfNotInList(KtDListCell* after, KtDList* source) {
  if (source == nullptr || source == this) return 0;
  if (source->length_ == 0) return 1;
  return transferListPartIfNotInList(after, source, source->first_, source->last_);
}

int KtDList::copyTransferListPartIfNotInList(KtDListCell* after, const KtDList* source,
                                             const KtDListCell* fromCell,
                                             const KtDListCell* toCell) {
  return copyRun(after, source, fromCell, toCell, true);
}

int KtDList::copyTransferListIfNotInList(KtDListCell* after, const KtDList* source) {
  if (source == nullptr || source == this) return 0;
  if (source->length_ == 0) return 1;
  return copyRun(after, source, source->first_, source->last_, true);
}

// ---- KtDListIter --------------------------------------------------------------------------

KtDListIter::~KtDListIter() {}
