#include "ktbase/containers/list_sort.h"

#include <memory>
#include <new>

#include "ktbase/geometry/point.h"

namespace {

// Quicksort partitions at most this many levels deep.
constexpr int kMaxQuickSortDepth = 30;
// Beyond that depth, parts of at most this many cells are bubble sorted, longer ones merge
// sorted.
constexpr std::int32_t kBubbleSortLimit = 5;

// Quicksort partitions a chain in up to this many stretches side by side (see quick()).
constexpr int kWalks = 4;

// A run of cells, null-terminated at last. The partition that builds a run also tells where its
// middle cell (at position (length + 1) / 2) is, and two cells that split it roughly at a
// quarter before and after the middle; all three are null when unknown.
template <class Cell>
struct Chain {
  Cell* first = nullptr;
  Cell* last = nullptr;
  std::int32_t length = 0;
  Cell* middle = nullptr;
  Cell* lowerSplit = nullptr;
  Cell* upperSplit = nullptr;
};

// The algorithms, written once for both kinds of list. Access supplies the types Cell, Sort and
// List, kLinkedBack (whether cells link back) and the static members next(cell) (the link
// itself), previous(cell) and setPrevious(cell, previous) (nothing for the singly linked list),
// compare(sort, a, b), changed(sort), depth(sort), take(list) and put(list, chain).
//
// Back links are set as cells are linked, while they are in the cache, rather than in a pass
// over the sorted list, whose cells lie all over memory: every chain that the algorithms hand
// around has sound back links inside it (its first cell's back link may be stale).
//
// `changed_` collects whether the run changed the order. A merge or bubble step puts a cell
// behind another only when it compares strictly greater, and a partition moves a cell across
// the pivot only when it compares strictly greater (from before) or smaller (from after); such a
// pair ends up in the other order, and without such a step every cell keeps its place. So the
// flag is exactly "the order changed".
template <class Access>
class ChainSorter {
 public:
  using Cell = typename Access::Cell;
  using Sort = typename Access::Sort;

  explicit ChainSorter(Sort* sort) : sort_(sort), changed_(false) {}

  bool changed() const { return changed_; }

  // Pass k (k = n - 1 down to 1) makes k comparisons from the front; a cell that compares
  // greater than its successor moves behind it and stays current. A pass that moves nothing
  // ends the sort.
  void bubble(Chain<Cell>& chain) {
    for (std::int32_t pass = chain.length - 1; pass >= 1; --pass) {
      bool moved = false;
      Cell* before = nullptr;  // the cell before current, null at the front
      Cell* current = chain.first;
      for (std::int32_t k = 0; k < pass; ++k) {
        Cell* successor = next(current);
        if (compare(current, successor) > 0) {
          Cell* after = next(successor);
          if (before == nullptr)
            chain.first = successor;
          else
            next(before) = successor;
          Access::setPrevious(successor, before);
          link(successor, current);
          next(current) = after;
          if (after != nullptr) Access::setPrevious(after, current);
          before = successor;
          moved = true;
        } else {
          before = current;
          current = successor;
        }
      }
      // The first pass reaches the end and leaves the greatest value there; later passes stop
      // short of it.
      if (pass == chain.length - 1) chain.last = current;
      if (!moved) break;
      changed_ = true;
    }
  }

  void merge(Chain<Cell>& chain) {
    if (chain.length < 2) return;
    Cell* cursor = chain.first;
    Run run = mergeRun(cursor, chain.length);
    chain.first = run.first;
    chain.last = run.last;
  }

  // The depth-bounded quicksort of a chain of at least two cells.
  void quick(Chain<Cell>& chain) {
    int& depth = Access::depth(sort_);
    const int level = ++depth;

    // The pivot is the median of the first cell, the cell at position (n + 1) / 2 and the last.
    Cell* first = chain.first;
    Cell* last = chain.last;
    Cell* middle = chain.middle;
    Cell* lowerSplit = chain.lowerSplit;
    Cell* upperSplit = chain.upperSplit;
    if (middle == nullptr) {
      std::int32_t steps = (chain.length + 1) / 2 - 1;
      middle = first;
      for (std::int32_t k = 0; k < steps; ++k) {
        if (k == steps / 2) lowerSplit = middle;
        middle = next(middle);
      }
    }
    Cell* pivot;
    if (compare(last, middle) < 0) {
      if (compare(first, middle) < 0)
        pivot = compare(last, first) < 0 ? first : last;
      else
        pivot = middle;
    } else {
      if (compare(middle, first) < 0)
        pivot = compare(last, first) < 0 ? last : first;
      else
        pivot = middle;
    }

    // Cells before the pivot that compare greater, and cells after it that compare greater or
    // equal, go to the right part; the rest stay on the left. Both keep their order, which is
    // what makes the sort stable.
    //
    // Walking a list waits on memory at every cell, so the chain is cut into up to four
    // stretches at the splits and the middle, and the stretches are walked side by side: their
    // waits overlap. Each stretch builds its own pieces of the two parts, which are joined in
    // order at the end; the result is that of a single walk.
    Cell* from[kWalks];
    Cell* to[kWalks];  // the cell after the stretch
    bool beforePivot[kWalks];
    int walks = 0;
    auto stretch = [&](Cell* begin, Cell* end, bool before) {
      if (begin == end) return;
      from[walks] = begin;
      to[walks] = end;
      beforePivot[walks++] = before;
    };
    const bool firstHalfBefore = pivot != first;
    const bool secondHalfBefore = pivot == last;
    Cell* const secondHalf = next(middle);
    if (lowerSplit != nullptr) stretch(first, next(lowerSplit), firstHalfBefore);
    stretch(lowerSplit != nullptr ? next(lowerSplit) : first, secondHalf, firstHalfBefore);
    if (upperSplit != nullptr) stretch(secondHalf, next(upperSplit), secondHalfBefore);
    stretch(upperSplit != nullptr ? next(upperSplit) : secondHalf, nullptr, secondHalfBefore);

    Builder left[kWalks], right[kWalks];
    bool crossed = false;
    for (int busy = walks; busy > 0;) {
      busy = 0;
      for (int w = 0; w < walks; ++w) {
        Cell* c = from[w];
        if (c == to[w]) continue;
        ++busy;
        from[w] = next(c);
        if (c == pivot) continue;
        bool toRight = beforePivot[w] ? compare(c, pivot) > 0 : compare(pivot, c) <= 0;
        (toRight ? right : left)[w].append(c);
        if (toRight == beforePivot[w]) crossed = true;
      }
    }
    if (crossed) changed_ = true;

    Chain<Cell> leftPart = join(left, walks);
    Chain<Cell> rightPart = join(right, walks);
    if (level <= kMaxQuickSortDepth) {
      if (leftPart.length > 1) quick(leftPart);
      if (rightPart.length > 1) quick(rightPart);
    } else {
      fallBack(leftPart);
      fallBack(rightPart);
    }

    // left, pivot, right.
    if (leftPart.length > 0) {
      chain.first = leftPart.first;
      link(leftPart.last, pivot);
    } else {
      chain.first = pivot;
    }
    next(pivot) = rightPart.first;
    if (rightPart.length > 0) {
      Access::setPrevious(rightPart.first, pivot);
      chain.last = rightPart.last;
    } else {
      chain.last = pivot;
    }
    --depth;
  }

  int isSorted(Cell* first) {
    if (first == nullptr) return 1;
    for (Cell* c = first; next(c) != nullptr; c = next(c))
      if (compare(c, next(c)) > 0) return 0;
    return 1;
  }

  // The first cell of the extreme value: a later cell replaces the candidate only when it
  // compares strictly smaller (for the smallest) or strictly greater (for the largest).
  Cell* findExtreme(Cell* first, bool largest) {
    Cell* found = first;
    if (found == nullptr) return nullptr;
    for (Cell* c = next(first); c != nullptr; c = next(c)) {
      int order = compare(found, c);
      if (largest ? order < 0 : order > 0) found = c;
    }
    return found;
  }

 private:
  struct Run {
    Cell* first;
    Cell* last;
  };

  // Collects a piece of a partition's part, in order.
  struct Builder {
    Cell* first = nullptr;
    Cell* last = nullptr;
    std::int32_t length = 0;

    void append(Cell* cell) {
      if (last == nullptr)
        first = cell;
      else
        link(last, cell);
      last = cell;
      ++length;
    }
  };

  int compare(Cell* a, Cell* b) { return Access::compare(sort_, a, b); }
  static Cell*& next(Cell* cell) { return Access::next(cell); }
  static void link(Cell* cell, Cell* following) {
    next(cell) = following;
    Access::setPrevious(following, cell);
  }

  // The pieces joined in order, with the part's middle cell and splits. Only the pieces' ends
  // have known positions: the middle is reached from the nearer end of the piece that holds it
  // (from its first cell alone where cells do not link back). After a partition of random values
  // the pieces are about equally long, so the middle lies near the end of the second piece and
  // the ends of the first and third pieces split the part near its quarters.
  static Chain<Cell> join(Builder* pieces, int count) {
    Chain<Cell> joined;
    Builder* used[kWalks];
    std::int32_t end[kWalks];  // the position of each used piece's last cell
    int n = 0;
    for (int k = 0; k < count; ++k) {
      Builder& piece = pieces[k];
      if (piece.length == 0) continue;
      if (joined.last == nullptr)
        joined.first = piece.first;
      else
        link(joined.last, piece.first);
      joined.last = piece.last;
      joined.length += piece.length;
      used[n] = &piece;
      end[n++] = joined.length;
    }
    if (n == 0) return joined;
    next(joined.last) = nullptr;

    const std::int32_t target = (joined.length + 1) / 2;
    int k = 0;
    while (end[k] < target) ++k;
    Cell* cell = used[k]->first;
    std::int32_t forward = target - (end[k] - used[k]->length + 1);
    if (Access::kLinkedBack && end[k] - target < forward) {
      for (cell = used[k]->last, forward = end[k] - target; forward > 0; --forward)
        cell = Access::previous(cell);
    } else {
      for (; forward > 0; --forward) cell = next(cell);
    }
    joined.middle = cell;

    const std::int32_t quarter = joined.length / 4;
    const std::int32_t threeQuarters = joined.length - quarter;
    std::int32_t lowerMiss = joined.length, upperMiss = joined.length;
    for (int j = 0; j < n; ++j) {
      std::int32_t miss = end[j] < quarter ? quarter - end[j] : end[j] - quarter;
      if (end[j] < target && miss < lowerMiss) {
        lowerMiss = miss;
        joined.lowerSplit = used[j]->last;
      }
      miss = end[j] < threeQuarters ? threeQuarters - end[j] : end[j] - threeQuarters;
      if (end[j] > target && end[j] < joined.length && miss < upperMiss) {
        upperMiss = miss;
        joined.upperSplit = used[j]->last;
      }
    }
    return joined;
  }

  void fallBack(Chain<Cell>& chain) {
    if (chain.length <= kBubbleSortLimit)
      bubble(chain);
    else
      merge(chain);
  }

  // Sorts the n >= 1 cells that begin at `cursor` and advances the cursor past them. The first
  // part has (n + 1) / 2 cells, as when the cells from position (n + 1) / 2 + 1 on are split off
  // into a list of their own; taking them in order from the cursor spares the walk to the
  // middle.
  Run mergeRun(Cell*& cursor, std::int32_t n) {
    if (n == 1) {
      Cell* only = cursor;
      cursor = next(only);
      next(only) = nullptr;
      return {only, only};
    }
    if (n == 2) {  // the merge of two single cells
      Cell* a = cursor;
      Cell* b = next(a);
      cursor = next(b);
      if (compare(a, b) > 0) {
        changed_ = true;
        link(b, a);
        next(a) = nullptr;
        return {b, a};
      }
      next(b) = nullptr;
      return {a, b};
    }
    Run a = mergeRun(cursor, (n + 1) / 2);
    Run b = mergeRun(cursor, n / 2);
    return mergeRuns(a, b);
  }

  // Merges sorted b into sorted a: the head of b goes before the current cell of a while that
  // cell compares greater; when b runs out the rest of a stays, when a runs out the rest of b
  // follows.
  Run mergeRuns(Run a, Run b) {
    Cell* x = a.first;
    Cell* y = b.first;
    Cell* head;
    if (compare(x, y) > 0) {
      changed_ = true;
      head = y;
      y = next(y);
    } else {
      head = x;
      x = next(x);
    }
    Cell* tail = head;
    while (x != nullptr && y != nullptr) {
      if (compare(x, y) > 0) {
        changed_ = true;
        link(tail, y);
        tail = y;
        y = next(y);
      } else {
        link(tail, x);
        tail = x;
        x = next(x);
      }
    }
    if (x != nullptr) {
      link(tail, x);
      return {head, a.last};
    }
    link(tail, y);
    return {head, b.last};
  }

  Sort* sort_;
  bool changed_;
};

// The public operations, the same for both kinds of list.
template <class Access>
struct SortOperations {
  using Cell = typename Access::Cell;
  using Sort = typename Access::Sort;
  using List = typename Access::List;

  using Algorithm = void (ChainSorter<Access>::*)(Chain<Cell>&);

  // Runs `algorithm` on the cells of a list of at least two; returns 1 iff the order changed.
  static int run(Sort* sort, List* list, Algorithm algorithm) {
    ChainSorter<Access> sorter(sort);
    Chain<Cell> chain = Access::take(list);
    (sorter.*algorithm)(chain);
    Access::put(list, chain);
    return sorter.changed();
  }

  static int bubbleOrMergeSort(Sort* sort, List* list, Algorithm algorithm) {
    Access::changed(sort) = 0;
    if (list == nullptr || list->length() < 2) return 0;
    return Access::changed(sort) = run(sort, list, algorithm);
  }

  static int bubbleSort(Sort* sort, List* list) {
    return bubbleOrMergeSort(sort, list, &ChainSorter<Access>::bubble);
  }

  static int mergeSort(Sort* sort, List* list) {
    return bubbleOrMergeSort(sort, list, &ChainSorter<Access>::merge);
  }

  static int quickSort(Sort* sort, List* list, int checkFirst) {
    Access::depth(sort) = 0;
    if (list == nullptr) return Access::changed(sort);
    if (checkFirst != 0 && isSorted(sort, list)) return Access::changed(sort) = 0;
    int changed = list->length() > 1 ? run(sort, list, &ChainSorter<Access>::quick) : 0;
    return Access::changed(sort) = checkFirst != 0 ? 1 : changed;
  }

  static int isSorted(Sort* sort, const List* list) {
    return list == nullptr ? 1 : ChainSorter<Access>(sort).isSorted(list->pFirstCell());
  }

  static Cell* findExtreme(Sort* sort, const List* list, bool largest) {
    return list == nullptr ? nullptr
                           : ChainSorter<Access>(sort).findExtreme(list->pFirstCell(), largest);
  }
};

}  // namespace

// ---- KtDListSort ----------------------------------------------------------------------------

struct KtDListSort::Access {
  using Cell = KtDListCell;
  using Sort = KtDListSort;
  using List = KtDList;
  static constexpr bool kLinkedBack = true;
  static Cell*& next(Cell* cell) { return cell->next_; }
  static Cell* previous(Cell* cell) { return cell->previous_; }
  static void setPrevious(Cell* cell, Cell* previous) { cell->previous_ = previous; }
  static int compare(Sort* sort, Cell* a, Cell* b) { return sort->virtualCompare(a, b); }
  static int& changed(Sort* sort) { return sort->changed_; }
  static int& depth(Sort* sort) { return sort->recursionDepth_; }
  static Chain<Cell> take(List* list) { return {list->first_, list->last_, list->length_}; }
  static void put(List* list, const Chain<Cell>& chain) {
    list->first_ = chain.first;
    list->last_ = chain.last;
    if (chain.first != nullptr) chain.first->previous_ = nullptr;
  }
};

KtDListSort::~KtDListSort() {}

int KtDListSort::bubbleSort(KtDList* list) {
  return SortOperations<Access>::bubbleSort(this, list);
}

int KtDListSort::mergeSort(KtDList* list) { return SortOperations<Access>::mergeSort(this, list); }

int KtDListSort::quickSort(KtDList* list, int checkFirst) {
  return SortOperations<Access>::quickSort(this, list, checkFirst);
}

int KtDListSort::isSorted(const KtDList* list) {
  return SortOperations<Access>::isSorted(this, list);
}

KtDListCell* KtDListSort::findSmallestElement(const KtDList* list) {
  return SortOperations<Access>::findExtreme(this, list, false);
}

KtDListCell* KtDListSort::findLargestElement(const KtDList* list) {
  return SortOperations<Access>::findExtreme(this, list, true);
}

// Selection by repeated partition. The candidates are kept in list order in an array (the
// bookkeeping allocates one array, never a cell). Each round takes as pivot the candidate at
// position (m + 1) / 2 and moves the candidates that compare greater to the other half of the
// array, in order; m, the number left, counts the pivot and everything not greater. When i = m
// the pivot is the answer; when i < m the pivot drops out; when i > m the greater ones are the
// candidates of the next round and i drops by m.
KtDListCell* KtDListSort::findIthElement(const KtDList* list, std::int32_t i) {
  if (list == nullptr || i < 1 || i > list->length()) return nullptr;
  std::int32_t m = list->length();
  std::unique_ptr<KtDListCell*[]> buffer(new (std::nothrow)
                                             KtDListCell*[2 * static_cast<std::size_t>(m)]);
  if (buffer == nullptr) return nullptr;
  KtDListCell** candidates = buffer.get();
  KtDListCell** greater = candidates + m;
  std::int32_t count = 0;
  for (KtDListCell* c = list->first_; c != nullptr; c = c->next_) candidates[count++] = c;

  for (;;) {
    KtDListCell* pivot = candidates[(m + 1) / 2 - 1];
    std::int32_t kept = 0;
    std::int32_t moved = 0;
    std::int32_t pivotIndex = 0;
    bool beforePivot = true;
    for (std::int32_t k = 0; k < m; ++k) {
      KtDListCell* c = candidates[k];
      if (c == pivot) {
        beforePivot = false;
        pivotIndex = kept;
        candidates[kept++] = c;
      } else if (beforePivot ? virtualCompare(c, pivot) > 0 : virtualCompare(pivot, c) < 0) {
        greater[moved++] = c;
      } else {
        candidates[kept++] = c;
      }
    }
    if (i == kept) return pivot;
    if (i < kept) {
      for (std::int32_t k = pivotIndex + 1; k < kept; ++k) candidates[k - 1] = candidates[k];
      m = kept - 1;
    } else {
      KtDListCell** swap = candidates;
      candidates = greater;
      greater = swap;
      m = moved;
      i -= kept;
    }
  }
}

// ---- KtSListSort ----------------------------------------------------------------------------

struct KtSListSort::Access {
  using Cell = KtSListCell;
  using Sort = KtSListSort;
  using List = KtSList;
  static constexpr bool kLinkedBack = false;
  static Cell*& next(Cell* cell) { return cell->next_; }
  static Cell* previous(Cell*) { return nullptr; }  // never called: there are no back links
  static void setPrevious(Cell*, Cell*) {}
  static int compare(Sort* sort, Cell* a, Cell* b) { return sort->virtualCompare(a, b); }
  static int& changed(Sort* sort) { return sort->changed_; }
  static int& depth(Sort* sort) { return sort->recursionDepth_; }
  static Chain<Cell> take(List* list) { return {list->first_, list->last_, list->length_}; }
  static void put(List* list, const Chain<Cell>& chain) {
    list->first_ = chain.first;
    list->last_ = chain.last;
  }
};

KtSListSort::~KtSListSort() {}

int KtSListSort::bubbleSort(KtSList* list) {
  return SortOperations<Access>::bubbleSort(this, list);
}

int KtSListSort::mergeSort(KtSList* list) { return SortOperations<Access>::mergeSort(this, list); }

int KtSListSort::quickSort(KtSList* list, int checkFirst) {
  return SortOperations<Access>::quickSort(this, list, checkFirst);
}

int KtSListSort::isSorted(const KtSList* list) {
  return SortOperations<Access>::isSorted(this, list);
}

KtSListCell* KtSListSort::findSmallestElement(const KtSList* list) {
  return SortOperations<Access>::findExtreme(this, list, false);
}

KtSListCell* KtSListSort::findLargestElement(const KtSList* list) {
  return SortOperations<Access>::findExtreme(this, list, true);
}

// ---- the concrete sorts ---------------------------------------------------------------------

namespace {

template <class T>
int threeWay(T a, T b) {
  return (b < a) - (a < b);
}

}  // namespace

KtMemAddressDListSort::~KtMemAddressDListSort() {}

int KtMemAddressDListSort::virtualCompare(KtDListCell* cellA, KtDListCell* cellB) {
  return threeWay(static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(cellA->pObject())),
                  static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(cellB->pObject())));
}

KtPointSListSort::~KtPointSListSort() {}

int KtPointSListSort::virtualCompare(KtSListCell* cellA, KtSListCell* cellB) {
  const KtObject* a = cellA->pObject();
  const KtObject* b = cellB->pObject();
  if (a == nullptr || b == nullptr) return threeWay(a != nullptr, b != nullptr);
  const KtPoint* p = KtPoint::castDown(a);
  const KtPoint* q = KtPoint::castDown(b);
  int byX = threeWay(p->x(), q->x());
  return byX != 0 ? byX : threeWay(p->y(), q->y());
}

// ---- KtDList::compareUnordered --------------------------------------------------------------

// Sorting copies of both lists by address lines equal multisets up in the same order.
int KtDList::compareUnordered(const KtDList* other) const {
  if (other == nullptr || other->length_ != length_) return 0;
  KtDList mine;
  KtDList theirs;
  mine.copyAllCells(this);
  theirs.copyAllCells(other);
  if (mine.length_ != length_ || theirs.length_ != length_) return 0;  // out of memory
  KtMemAddressDListSort byAddress;
  byAddress.quickSort(&mine, 0);
  byAddress.quickSort(&theirs, 0);
  return mine.compare(&theirs);
}
