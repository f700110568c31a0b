// KtColor is an RGB colour of 8 bits per channel with a transparency flag and a flag that records
// unsaved changes. KtColorResource makes a colour a shared resource and KtColorResourceDB is the
// database of colours (resource.h): graphs colour their nodes and edges through it.
//
// Channels read as bytes (ired) or as fractions of 255 (red). A fraction becomes a byte as
// trunc(f * 255 + 0.5), clamped into [0, 255]; not-a-number gives 0. Every setter that changes a
// channel or the transparency sets needsSaving; storing the value a colour already has leaves the
// flag alone. A new colour is black, opaque and needs saving. Copies (either flag) take the three
// channels and the transparency through the setters; needsSaving is never copied, and a copy
// constructor starts from a new colour.
//
// Palette. rgb(KtColorIdentifierEnum) sets one of 29 named colours; any other value changes
// nothing. The palette is constant data.
//
// Text form. setStringFromRGB writes "%.2f %.2f %.2f": each byte as the smallest percentage that
// reads back to at least that byte (byte 127 is written 0.50 and reads back as 128). It needs 15
// bytes of buffer. setRGBFromString reads three tokens separated by spaces (only the space
// character) with strtod; anything after the third is ignored, and a token that is not a number
// reads as 0. Fewer than three tokens leave the colour unchanged and return 0. Any text is safe
// to read: it is never read beyond its terminator. Both directions follow the "C" conventions
// ('.' as the decimal point) whatever locale the program set, so a text means the same to all.
//
// Colour resources are ordered by the 24-bit RGB value; two resources are equal when their
// colours compare equal, transparency included.
#ifndef KTBASE_RESOURCES_COLOR_H
#define KTBASE_RESOURCES_COLOR_H

#include <cstdint>

#include "ktbase/core/object.h"
#include "ktbase/resources/resource.h"

// The palette of rgb(KtColorIdentifierEnum), as fractions of red, green and blue.
enum KtColorIdentifierEnum : int {
  KT_COLOR_BLACK = 0,            // 0.0 0.0 0.0
  KT_COLOR_BLUE = 1,             // 0.0 0.0 1.0
  KT_COLOR_RED = 2,              // 1.0 0.0 0.0
  KT_COLOR_GREEN = 3,            // 0.0 1.0 0.0
  KT_COLOR_YELLOW = 4,           // 1.0 1.0 0.0
  KT_COLOR_MAGENTA = 5,          // 1.0 0.0 1.0
  KT_COLOR_CYAN = 6,             // 0.0 1.0 1.0
  KT_COLOR_LIGHT_GREY = 7,       // 0.9 0.9 0.9
  KT_COLOR_LIGHT_BLUE = 8,       // 0.8 0.8 1.0
  KT_COLOR_LIGHT_RED = 9,        // 1.0 0.8 0.8
  KT_COLOR_LIGHT_GREEN = 10,     // 0.8 1.0 0.8
  KT_COLOR_LIGHT_YELLOW = 11,    // 1.0 1.0 0.7
  KT_COLOR_LIGHT_MAGENTA = 12,   // 1.0 0.7 1.0
  KT_COLOR_LIGHT_CYAN = 13,      // 0.7 1.0 1.0
  KT_COLOR_GREY = 14,            // 0.6 0.6 0.6
  KT_COLOR_MEDIUM_BLUE = 15,     // 0.1 0.1 0.8
  KT_COLOR_MEDIUM_RED = 16,      // 0.8 0.1 0.1
  KT_COLOR_MEDIUM_GREEN = 17,    // 0.1 0.8 0.1
  KT_COLOR_MEDIUM_YELLOW = 18,   // 0.8 0.8 0.1
  KT_COLOR_MEDIUM_MAGENTA = 19,  // 0.8 0.1 0.8
  KT_COLOR_MEDIUM_CYAN = 20,     // 0.1 0.8 0.8
  KT_COLOR_DARK_GREY = 21,       // 0.4 0.4 0.4
  KT_COLOR_DARK_BLUE = 22,       // 0.0 0.0 0.5
  KT_COLOR_DARK_RED = 23,        // 0.5 0.0 0.0
  KT_COLOR_DARK_GREEN = 24,      // 0.0 0.5 0.0
  KT_COLOR_DARK_YELLOW = 25,     // 0.5 0.5 0.0
  KT_COLOR_DARK_MAGENTA = 26,    // 0.5 0.0 0.5
  KT_COLOR_DARK_CYAN = 27,       // 0.0 0.5 0.5
  KT_COLOR_WHITE = 28            // 1.0 1.0 1.0
};

class KtColorResourceDB;

class KtColor : public KtObject {
  KT_OBJECT(KtColor, KtObject)

 public:
  KtColor() { init(); }
  ~KtColor() override;

  // Slot 9: the colour's size in bytes.
  virtual std::int32_t sizeOf() const;

  // ired() reads the byte; ired(v) stores the low 8 bits of v and returns the stored byte.
  int ired() const { return red_; }
  int ired(int v) { return red_ = store(red_, v); }
  int igreen() const { return green_; }
  int igreen(int v) { return green_ = store(green_, v); }
  int iblue() const { return blue_; }
  int iblue(int v) { return blue_ = store(blue_, v); }
  // red() reads byte / 255; red(f) stores the byte for f and returns the stored byte / 255.
  double red() const { return red_ / 255.0; }
  double red(double f) { return ired(byteOf(f)) / 255.0; }
  double green() const { return green_ / 255.0; }
  double green(double f) { return igreen(byteOf(f)) / 255.0; }
  double blue() const { return blue_ / 255.0; }
  double blue(double f) { return iblue(byteOf(f)) / 255.0; }
  void rgb(double r, double g, double b) {
    red(r);
    green(g);
    blue(b);
  }
  void rgb(KtColorIdentifierEnum id);

  // gray() is 0.299 red + 0.587 green + 0.114 blue; gray(f) gives all three channels the byte
  // for f and returns red().
  double gray() const { return 0.299 * red() + 0.587 * green() + 0.114 * blue(); }
  double gray(double f);
  // 1.0 minus the fraction.
  double invertRed() const { return 1.0 - red(); }
  double invertGreen() const { return 1.0 - green(); }
  double invertBlue() const { return 1.0 - blue(); }
  double invertGray() const { return 1.0 - gray(); }
  // A new colour with each byte c replaced by 255 - c, the transparency kept, needing saving.
  KtColor invertColor() const;

  // Each setter sets the flag for a non-zero argument, clears it for 0, and returns its argument.
  int transparent() const { return (flags_ & kTransparent) != 0; }
  int transparent(int t);
  int needsSaving() const { return (flags_ & kNeedsSaving) != 0; }
  int needsSaving(int n);

  // Returns 1 iff `other` has the same three channels and transparency (needsSaving aside); 0
  // for null.
  int compare(const KtColor* other) const;

  // Returns 1 and sets the three channels iff `text` holds three tokens; else 0, unchanged. Null
  // reads as no text.
  int setRGBFromString(const char* text);
  // Writes the text form into `buffer` (15 bytes) and returns 0; nothing for a null buffer.
  int setStringFromRGB(char* buffer) const;

 protected:
  void init() {
    red_ = green_ = blue_ = 0;
    flags_ = kNeedsSaving;
  }

 private:
  enum : std::uint8_t { kNeedsSaving = 1, kTransparent = 2 };

  // The byte for fraction f: trunc(f * 255 + 0.5), clamped; 0 for not-a-number.
  static int byteOf(double f);
  // The low 8 bits of v; marks the colour as changed when they differ from `old`.
  std::uint8_t store(std::uint8_t old, int v) {
    const auto byte = static_cast<std::uint8_t>(v & 0xFF);
    if (byte != old) flags_ |= kNeedsSaving;
    return byte;
  }

  std::uint8_t red_;
  std::uint8_t green_;
  std::uint8_t blue_;
  std::uint8_t flags_;
};

class KtColorResource : public KtResource {
  KT_OBJECT(KtColorResource, KtResource)

 public:
  // A free resource naming `db`, holding a copy of `color` (black for null).
  explicit KtColorResource(KtColorResourceDB* db = nullptr, const KtColor* color = nullptr);
  // Leaves the database's list first.
  ~KtColorResource() override;

  // The 24-bit RGB value: red * 65536 + green * 256 + blue.
  std::int32_t sortKey() const override;
  // Equal keys and KtColor::compare (so the transparency must match too).
  int isEqual(const KtResource* other) const override;

  KtColor* pColor() { return &color_; }
  const KtColor* pColor() const { return &color_; }
  KtColorResourceDB* pResourceDB() const;

 protected:
  void init() { color_ = KtColor(); }

 private:
  KtColor color_;
};

// Colours are a resource database whose default is black, permanent. insert, remove,
// copyPermanent and pDefaultResource are those of KtResourceDB with the colour types.
class KtColorResourceDB : public KtResourceDB {
  KT_RESOURCE_DB(KtColorResourceDB, KtColorResource)

 public:
  KtColorResourceDB() {}
  ~KtColorResourceDB() override;

 protected:
  // A new black resource of this database.
  KtResource* vNewResource() override;
};

inline KtColorResourceDB* KtColorResource::pResourceDB() const {
  return KtColorResourceDB::castDown(KtResource::pResourceDB());
}

#endif  // KTBASE_RESOURCES_COLOR_H
