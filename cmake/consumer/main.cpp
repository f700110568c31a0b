#include <ktbase/ktbase.h>

#include <cstdio>

int main() {
  KtInt one(1), two(2);
  KtDList list;
  list.appendObject(&one);
  list.appendObject(&two);
  KtSList copy(list);
  int sum = 0;
  for (KtSListIter it(&copy); it; ++it) sum += KtInt::castDown(it.pObject())->value();
  std::printf("consumer: %d objects, sum %d\n", copy.length(), sum);
  return sum == 3 ? 0 : 1;
}
