#include "ktbase/resources/color.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "ktbase/files/c_locale.h"
#include "ktbase/files/format.h"

namespace {

// The palette as fractions of red, green and blue, by KtColorIdentifierEnum.
const double kPalette[][3] = {
    {0.0, 0.0, 0.0}, {0.0, 0.0, 1.0}, {1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {1.0, 1.0, 0.0},
    {1.0, 0.0, 1.0}, {0.0, 1.0, 1.0}, {0.9, 0.9, 0.9}, {0.8, 0.8, 1.0}, {1.0, 0.8, 0.8},
    {0.8, 1.0, 0.8}, {1.0, 1.0, 0.7}, {1.0, 0.7, 1.0}, {0.7, 1.0, 1.0}, {0.6, 0.6, 0.6},
    {0.1, 0.1, 0.8}, {0.8, 0.1, 0.1}, {0.1, 0.8, 0.1}, {0.8, 0.8, 0.1}, {0.8, 0.1, 0.8},
    {0.1, 0.8, 0.8}, {0.4, 0.4, 0.4}, {0.0, 0.0, 0.5}, {0.5, 0.0, 0.0}, {0.0, 0.5, 0.0},
    {0.5, 0.5, 0.0}, {0.5, 0.0, 0.5}, {0.0, 0.5, 0.5}, {1.0, 1.0, 1.0}};
const int kPaletteSize = static_cast<int>(sizeof kPalette / sizeof kPalette[0]);

}  // namespace

// ---------------------------------------------------------------------------------------------
// KtColor

KtColor::~KtColor() {}

void KtColor::KtColordeepCopy(const KtColor& source) {
  KtObjectdeepCopy(source);
  ired(source.red_);
  igreen(source.green_);
  iblue(source.blue_);
  transparent(source.transparent());
}

void KtColor::KtColorattributeCopy(const KtColor& source) { KtColordeepCopy(source); }

std::int32_t KtColor::sizeOf() const { return static_cast<std::int32_t>(sizeof(KtColor)); }

int KtColor::byteOf(double f) {
  const double v = f * 255.0 + 0.5;
  if (!(v >= 1.0)) return 0;  // below one, negative or not a number
  if (v >= 255.0) return 255;
  return static_cast<int>(v);
}

void KtColor::rgb(KtColorIdentifierEnum id) {
  if (id < 0 || id >= kPaletteSize) return;
  rgb(kPalette[id][0], kPalette[id][1], kPalette[id][2]);
}

double KtColor::gray(double f) {
  const int byte = byteOf(f);
  ired(byte);
  igreen(byte);
  iblue(byte);
  return red();
}

KtColor KtColor::invertColor() const {
  KtColor inverted;
  inverted.ired(255 - red_);
  inverted.igreen(255 - green_);
  inverted.iblue(255 - blue_);
  inverted.transparent(transparent());
  inverted.needsSaving(1);
  return inverted;
}

int KtColor::transparent(int t) {
  const auto flags =
      static_cast<std::uint8_t>(t != 0 ? flags_ | kTransparent : flags_ & ~kTransparent);
  if (flags != flags_) flags_ = static_cast<std::uint8_t>(flags | kNeedsSaving);
  return t;
}

int KtColor::needsSaving(int n) {
  flags_ = static_cast<std::uint8_t>(n != 0 ? flags_ | kNeedsSaving : flags_ & ~kNeedsSaving);
  return n;
}

int KtColor::compare(const KtColor* other) const {
  return other != nullptr && red_ == other->red_ && green_ == other->green_ &&
         blue_ == other->blue_ && transparent() == other->transparent();
}

int KtColor::setRGBFromString(const char* text) {
  if (text == nullptr) return 0;
  // Each token is copied before strtod sees it, so that strtod stops at the token's end (it
  // would skip a tab and the spaces after it, for one). Short tokens fit on the stack.
  char small[64];
  char* large = nullptr;
  double values[3];
  int count = 0;
  const char* p = text;
  for (int round = 0; round < 3; ++round) {
    while (*p == ' ') ++p;
    const char* start = p;
    while (*p != ' ' && *p != 0) ++p;
    const std::size_t length = static_cast<std::size_t>(p - start);
    if (length == 0) continue;
    char* token = small;
    if (length >= sizeof small) {
      std::free(large);
      large = static_cast<char*>(std::malloc(length + 1));
      if (large == nullptr) return 0;
      token = large;
    }
    std::memcpy(token, start, length);
    token[length] = 0;
    values[count++] = ktStrtodC(token, nullptr);
  }
  std::free(large);
  if (count != 3) return 0;
  rgb(values[0], values[1], values[2]);
  return 1;
}

int KtColor::setStringFromRGB(char* buffer) const {
  if (buffer == nullptr) return 0;
  // The smallest percentage whose byte is at least c, as a fraction.
  auto fraction = [](int c) {
    int p = c * 100 / 255;
    while (p < 100 && byteOf(p / 100.0) < c) ++p;
    return p / 100.0;
  };
  kt_vs8_ktprintf(buffer, "%.2f %.2f %.2f", fraction(red_), fraction(green_), fraction(blue_));
  return 0;
}

// ---------------------------------------------------------------------------------------------
// KtColorResource

KtColorResource::KtColorResource(KtColorResourceDB* db, const KtColor* color) : KtResource(db) {
  if (color != nullptr) color_ = *color;
}

KtColorResource::~KtColorResource() { cleanup(); }

void KtColorResource::KtColorResourcedeepCopy(const KtColorResource& source) {
  KtResource::copyObject(&source);
  color_ = source.color_;
}

void KtColorResource::KtColorResourceattributeCopy(const KtColorResource& source) {
  KtResource::copyAttributes(&source);
}

std::int32_t KtColorResource::sortKey() const {
  return color_.ired() * 65536 + color_.igreen() * 256 + color_.iblue();
}

int KtColorResource::isEqual(const KtResource* other) const {
  if (other == nullptr || other->sortKey() != sortKey()) return 0;
  return color_.compare(castDown(other)->pColor());
}

// ---------------------------------------------------------------------------------------------
// KtColorResourceDB

KtColorResourceDB::~KtColorResourceDB() {}

KtResource* KtColorResourceDB::vNewResource() { return new (std::nothrow) KtColorResource(this); }
