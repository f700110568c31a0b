// Demo section: sorting lists of objects and mapping identifiers with the index hash table.
#include <cstdio>

#include "examples/demo.h"
#include "ktbase/containers/dlist.h"
#include "ktbase/containers/hash_table.h"
#include "ktbase/containers/list_sort.h"
#include "ktbase/core/numbers.h"

namespace {

// A city with its population, in thousands.
class City : public KtObject {
  KT_OBJECT(City, KtObject)

 public:
  City(const char* name, std::int32_t population) : name_(name), population_(population) {}
  ~City() override;
  const char* name() const { return name_; }
  std::int32_t population() const { return population_; }

 protected:
  void init() {
    name_ = "";
    population_ = 0;
  }

 private:
  const char* name_;
  std::int32_t population_;
};

City::~City() {}
void City::CitydeepCopy(const City& source) {
  KtObjectdeepCopy(source);
  name_ = source.name_;
  population_ = source.population_;
}
void City::CityattributeCopy(const City& source) { CitydeepCopy(source); }

// Orders cities by population, rounded to millions, so that equal keys show that the sort
// keeps them in list order.
class ByMillions : public KtDListSort {
 protected:
  int virtualCompare(KtDListCell* cellA, KtDListCell* cellB) override {
    std::int32_t a = millions(cellA);
    std::int32_t b = millions(cellB);
    return (a > b) - (a < b);
  }
  void virtualDebugOutputElement(KtDListCell*) override {}

 private:
  static std::int32_t millions(const KtDListCell* cell) {
    return (City::castDown(cell->pObject())->population() + 500) / 1000;
  }
};

// Orders boxed numbers by value.
class ByValue : public KtDListSort {
 protected:
  int virtualCompare(KtDListCell* cellA, KtDListCell* cellB) override {
    std::int32_t a = KtLong::castDown(cellA->pObject())->value();
    std::int32_t b = KtLong::castDown(cellB->pObject())->value();
    return (a > b) - (a < b);
  }
  void virtualDebugOutputElement(KtDListCell*) override {}
};

void showCities(const char* label, const KtDList& list) {
  std::printf("  %-9s", label);
  for (KtDListIter it(&list); it; ++it) {
    const City* city = City::castDown(it.pObject());
    std::printf(" %s %d.%d", city->name(), city->population() / 1000,
                city->population() % 1000 / 100);
  }
  std::printf("\n");
}

void showNumbers(const char* label, const KtDList& list) {
  std::printf("  %-9s", label);
  for (KtDListIter it(&list); it; ++it) std::printf(" %d", KtLong::castDown(it.pObject())->value());
  std::printf("\n");
}

}  // namespace

void sortingDemo() {
  heading("Sorting: cells are relinked in place, objects and cells stay together");
  City cities[] = {{"Lyon", 1400}, {"Oslo", 700}, {"Porto", 1300}, {"Turku", 200},
                   {"Graz", 300},  {"Bern", 400}, {"Kyiv", 2900},  {"Riga", 600}};
  KtDList list;
  for (City& city : cities) list.appendObject(&city);
  KtDListCell* kyiv = list.pCellInPosition(7);
  showCities("before", list);
  ByMillions byMillions;
  int changed = byMillions.mergeSort(&list);
  showCities("merged", list);
  std::printf(
      "  mergeSort changed the order: %d; equal millions kept their order (Lyon before "
      "Porto, Oslo before Riga)\n",
      changed);
  std::printf("  the Kyiv cell is still Kyiv's, now in position %d\n", list.positionOfCell(kyiv));
  std::printf("  sorted again with checkFirst, quickSort leaves it alone: %d\n",
              byMillions.quickSort(&list, 1));

  KtDList numbers;
  const std::int32_t values[] = {42, -7, 19, 0, 42, 3, -7, 88, 5, 19, 1};
  for (std::int32_t v : values) numbers.appendObject(new KtLong(v));
  showNumbers("numbers", numbers);
  ByValue byValue;
  KtDListCell* median = byValue.findIthElement(&numbers, (numbers.length() + 1) / 2);
  std::printf("  median (findIthElement, the list untouched): %d\n",
              KtLong::castDown(median->pObject())->value());
  byValue.quickSort(&numbers, 0);
  showNumbers("quick", numbers);
  KtDList shuffled;
  shuffled.copyAllCells(&numbers);
  shuffled.reverse();
  std::printf(
      "  the reversed copy holds the same objects in another order: compare %d, "
      "compareUnordered %d\n",
      numbers.compare(&shuffled), numbers.compareUnordered(&shuffled));
  numbers.deleteAllCellsAndObjects();

  heading("Index hash table: identifiers handed out 8 apart, mapped to file numbers");
  KtIndexHashTable table(nextPrimeNumber(100), 8, -1);
  for (std::int64_t id = 0x1000; id < 0x1000 + 8 * 20; id += 8)
    table.update(id, (id - 0x1000) / 8 + 1);
  table.update(0x1008, 99);  // replaced
  std::printf("  %d buckets; 0x1000 -> %lld, 0x1008 -> %lld, 0x2000 -> %lld (absent)\n",
              nextPrimeNumber(100), static_cast<long long>(table.lookup(0x1000)),
              static_cast<long long>(table.lookup(0x1008)),
              static_cast<long long>(table.lookup(0x2000)));
  std::printf("  largest key 0x%llx, largest value %lld, %d bytes\n",
              static_cast<unsigned long long>(table.maxHashIndex()),
              static_cast<long long>(table.maxValueIndex()), table.sizeOf());
}
