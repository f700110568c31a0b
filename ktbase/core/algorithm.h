// KtQELAlgorithm is the base of the library's algorithms. run() is the template method: it calls
// emptyInformation(), initialize(), algorithmBody() and finalize(), in that order, on this object,
// and catches, tests and repeats nothing. Only algorithmBody() must be supplied; the other hooks
// are empty. An algorithm is not cloned (cloning yields a plain KtObject) and has no copy
// constructor; operator= exists and copies nothing.
#ifndef KTBASE_CORE_ALGORITHM_H
#define KTBASE_CORE_ALGORITHM_H

#include "ktbase/core/object.h"

class KtQELAlgorithm : public KtObject {
  KT_OBJECT_CAST(KtQELAlgorithm)
  KT_OBJECT_COPY(KtQELAlgorithm)
  KT_OBJECT_ASSIGN(KtQELAlgorithm)

 public:
  KtQELAlgorithm() {}
  KtQELAlgorithm(const KtQELAlgorithm&) = delete;
  ~KtQELAlgorithm() override;

  // Slots 9 to 13.
  virtual void run();
  virtual void emptyInformation();  // clears what an earlier run left behind
  virtual void initialize();
  virtual void algorithmBody() = 0;
  virtual void finalize();
};

#endif  // KTBASE_CORE_ALGORITHM_H
