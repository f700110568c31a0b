// KtObject is the root of the library's class tree, and this header holds the one copy/clone
// protocol that every class follows.
//
// The protocol, for a class C derived from Base:
//   C(const C& source, KtDeepFlagEnum deepFlag = KT_DEEP_COPY)
//       builds Base with its default constructor, runs init(), then CdeepCopy(source) for
//       KT_DEEP_COPY and CattributeCopy(source) for any other value.
//   operator=(source)      CdeepCopy(source) unless source is *this.
//   copyObject(source)     CdeepCopy(*source) unless source is null or this; the source is not
//   copyAttributes(source) checked to be a C. copyAttributes runs CattributeCopy instead.
//   cloneObject()          a new C made by the deep, respectively the attribute copy, or null when
//   cloneAttributes()      memory runs out. The clone belongs to the caller.
//   castDown(object)       unchecked conversion; callers know what they hold.
// Each class writes only what is its own: a protected init() giving every member its default, the
// private pair CdeepCopy/CattributeCopy (each first runs the base's copy of the same kind, then
// copies C's members: the deep one contents, the attribute one settings), its destructor, and
// its real operations. KT_OBJECT(C, Base) declares the rest.
//
// C++ has no member call on a null pointer, so cloneObject() must be called on an object; code
// that may hold null tests first.
#ifndef KTBASE_CORE_OBJECT_H
#define KTBASE_CORE_OBJECT_H

#include <cstdint>
#include <new>

// The library's enumerations all have int as their fixed underlying type, so that any int value
// is a valid value of them: several operations give a meaning to "any other value".

// Second argument of every copy constructor.
enum KtDeepFlagEnum : int {
  KT_DEEP_COPY = 0,      // the object with its contents (a list clones its objects)
  KT_ATTRIBUTE_COPY = 1  // the object's own settings only (a list starts empty)
};

// Result of KtObject::fileOutput; the library only ever produces KT_NO_ERROR.
enum KtErrorCodeEnum : int { KT_NO_ERROR = 0 };

// Does nothing and returns KT_NO_ERROR: output to files is a hook for the family's debug builds.
KtErrorCodeEnum staticFileOutput(const char* fileName, const char* text, const char* mode);

class KtObject {
 public:
  KtObject() {}
  KtObject(const KtObject&) {}
  KtObject(const KtObject&, int /*deepFlag*/) {}
  const KtObject& operator=(const KtObject&) { return *this; }

  // The nine virtual operations, in slot order; every class appends its own after them.
  virtual void copyObject(const KtObject* source);
  virtual void copyAttributes(const KtObject* source);
  virtual ~KtObject();
  // The identifier under which the object is written to a graph file: its address by default.
  virtual std::int64_t graphFileID() const;
  // KT_NO_LOCAL_ID (the most negative 32-bit value) when the object has no local identifier.
  virtual std::int32_t localID() const;
  // Returns 1 iff the object is read from and written to OML files.
  virtual int isOMLObject() const;
  // Prints nothing anywhere in the library; a hook for callers.
  virtual void debugOutput(int level);

  static KtObject* castDown(const KtObject* object) { return const_cast<KtObject*>(object); }
  KtObject* cloneObject() const { return vCloneObject(); }
  KtObject* cloneAttributes() const { return vCloneAttributes(); }

  // Hands the three strings to staticFileOutput, with mode "a" when mode is null.
  KtErrorCodeEnum fileOutput(const char* fileName, const char* text, const char* mode = 0);

 protected:
  virtual KtObject* vCloneObject() const;
  virtual KtObject* vCloneAttributes() const;

  // The ends of every copy chain: a KtObject has nothing to copy.
  void KtObjectdeepCopy(const KtObject&) {}
  void KtObjectattributeCopy(const KtObject&) {}
};

#define KT_NO_LOCAL_ID (static_cast<std::int32_t>(0x80000000u))

// ---------------------------------------------------------------------------------------------
// The protocol's mechanical members. Each macro declares its members with the access they always
// have and leaves the class in private access, as at the start of a class body. Most classes
// use KT_OBJECT alone; the pieces serve classes that leave part of the protocol out (an abstract
// class cannot clone itself, an iterator is not copied).

// static C* castDown(const KtObject*).
#define KT_OBJECT_CAST(C)                                  \
 public:                                                   \
  static C* castDown(const KtObject* object) {             \
    return static_cast<C*>(const_cast<KtObject*>(object)); \
  }                                                        \
                                                           \
 private:

// copyObject/copyAttributes over the private pair CdeepCopy/CattributeCopy, which C defines.
#define KT_OBJECT_COPY(C)                                                            \
 public:                                                                             \
  void copyObject(const KtObject* source) override {                                 \
    if (source != nullptr && source != this) C##deepCopy(*C::castDown(source));      \
  }                                                                                  \
  void copyAttributes(const KtObject* source) override {                             \
    if (source != nullptr && source != this) C##attributeCopy(*C::castDown(source)); \
  }                                                                                  \
                                                                                     \
 private:                                                                            \
  void C##deepCopy(const C& source);                                                 \
  void C##attributeCopy(const C& source);

// The copy constructor with its deep flag. C must have a default-constructible Base and init().
#define KT_OBJECT_COPY_CONSTRUCTOR(C, Base)                             \
 public:                                                                \
  C(const C& source, KtDeepFlagEnum deepFlag = KT_DEEP_COPY) : Base() { \
    init();                                                             \
    if (deepFlag == KT_DEEP_COPY)                                       \
      C##deepCopy(source);                                              \
    else                                                                \
      C##attributeCopy(source);                                         \
  }                                                                     \
                                                                        \
 private:

// const C& operator=(const C&): the deep copy, nothing when assigned to itself.
#define KT_OBJECT_ASSIGN(C)                   \
 public:                                      \
  const C& operator=(const C& source) {       \
    if (&source != this) C##deepCopy(source); \
    return *this;                             \
  }                                           \
                                              \
 private:

// Typed cloneObject/cloneAttributes and the protected virtual pair behind them. A failed
// allocation yields null.
#define KT_OBJECT_CLONE(C)                                                                      \
 public:                                                                                        \
  C* cloneObject() const { return static_cast<C*>(vCloneObject()); }                            \
  C* cloneAttributes() const { return static_cast<C*>(vCloneAttributes()); }                    \
                                                                                                \
 protected:                                                                                     \
  KtObject* vCloneObject() const override { return new (std::nothrow) C(*this, KT_DEEP_COPY); } \
  KtObject* vCloneAttributes() const override {                                                 \
    return new (std::nothrow) C(*this, KT_ATTRIBUTE_COPY);                                      \
  }                                                                                             \
                                                                                                \
 private:

// The whole protocol for a concrete, copyable class C derived from Base.
#define KT_OBJECT(C, Base)            \
  KT_OBJECT_CAST(C)                   \
  KT_OBJECT_COPY(C)                   \
  KT_OBJECT_COPY_CONSTRUCTOR(C, Base) \
  KT_OBJECT_ASSIGN(C)                 \
  KT_OBJECT_CLONE(C)

#endif  // KTBASE_CORE_OBJECT_H
