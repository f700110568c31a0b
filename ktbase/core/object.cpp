#include "ktbase/core/object.h"

KtErrorCodeEnum staticFileOutput(const char*, const char*, const char*) { return KT_NO_ERROR; }

void KtObject::copyObject(const KtObject*) {}
void KtObject::copyAttributes(const KtObject*) {}
KtObject::~KtObject() {}

std::int64_t KtObject::graphFileID() const {
  return static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(this));
}

std::int32_t KtObject::localID() const { return KT_NO_LOCAL_ID; }
int KtObject::isOMLObject() const { return 0; }
void KtObject::debugOutput(int) {}

KtErrorCodeEnum KtObject::fileOutput(const char* fileName, const char* text, const char* mode) {
  return staticFileOutput(fileName, text, mode != nullptr ? mode : "a");
}

KtObject* KtObject::vCloneObject() const { return new (std::nothrow) KtObject; }
KtObject* KtObject::vCloneAttributes() const { return new (std::nothrow) KtObject; }
