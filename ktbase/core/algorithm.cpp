#include "ktbase/core/algorithm.h"

KtQELAlgorithm::~KtQELAlgorithm() {}

void KtQELAlgorithm::KtQELAlgorithmdeepCopy(const KtQELAlgorithm& source) {
  KtObjectdeepCopy(source);
}

void KtQELAlgorithm::KtQELAlgorithmattributeCopy(const KtQELAlgorithm& source) {
  KtObjectattributeCopy(source);
}

void KtQELAlgorithm::run() {
  emptyInformation();
  initialize();
  algorithmBody();
  finalize();
}

void KtQELAlgorithm::emptyInformation() {}
void KtQELAlgorithm::initialize() {}
void KtQELAlgorithm::finalize() {}
