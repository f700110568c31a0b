#include "tools/omltool/json_reader.h"

#include <rapidjson/error/en.h>
#include <rapidjson/filereadstream.h>
#include <rapidjson/reader.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unordered_set>
#include <vector>

#include "ktbase/oml/oml_bin_value.h"
#include "tools/omltool/json_text.h"

namespace {

// Object records nested deeper than this are refused: the OML reader takes no deeper nesting.
constexpr std::size_t kMaxRecords = 1000;
// The comment line before an item of the OML text: "#@" and the JSON offset it came from.
constexpr char kMarker[] = "#@";
constexpr std::size_t kNoOffset = static_cast<std::size_t>(-1);
// The names remembered as good, of each kind (the grammar's, and those of unchecked fields).
constexpr std::size_t kMaxKnownNames = 1024;

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A word OML text reads as an identifier: a letter or '_', then letters, digits and '_'.
bool isIdentifier(const std::string& s) {
  if (s.empty() || !isLetter(s[0])) return false;
  for (char c : s)
    if (!isLetter(c) && !isDigit(c)) return false;
  return true;
}

// An optional '-' and digits, within 32 bits.
bool isInteger(const std::string& s, std::int32_t& value) {
  const std::size_t start = !s.empty() && s[0] == '-' ? 1 : 0;
  if (s.size() == start || s.size() > start + 10) return false;
  for (std::size_t i = start; i < s.size(); ++i)
    if (!isDigit(s[i])) return false;
  const long long v = std::strtoll(s.c_str(), nullptr, 10);
  if (v < INT32_MIN || v > INT32_MAX) return false;
  value = static_cast<std::int32_t>(v);
  return true;
}

void split(const std::string& text, char separator, std::vector<std::string>& parts) {
  parts.clear();
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return;
    start = end + 1;
  }
}

bool parseIP(const std::string& s, std::uint32_t& address) {
  std::vector<std::string> parts;
  split(s, '.', parts);
  if (parts.size() != 4) return false;
  address = 0;
  for (const std::string& p : parts) {
    if (p.empty() || p.size() > 3) return false;
    for (char c : p)
      if (!isDigit(c)) return false;
    const int v = std::atoi(p.c_str());
    if (v > 255) return false;
    address = address << 8 | static_cast<std::uint32_t>(v);
  }
  return true;
}

int hexDigit(char c) {
  if (isDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Writes the OML text of a JSON document, as its handler for RapidJSON's Reader: each event is
// checked, and written at once through the writer's calls.
class OmlFromJson : public KtOMLFile {
 public:
  explicit OmlFromJson(const std::string& jsonName) : jsonName_(jsonName) {}

  // The first reason the document was refused ("" when it was not), and the JSON offset it
  // names (kNoOffset when none).
  const std::string& refusal() const { return refusal_; }
  std::size_t refusalOffset() const { return refusalOffset_; }

  // The handler.
  bool Null() {
    atBracket_ = false;
    return unexpected("null");
  }
  bool Bool(bool b);
  bool Int(int) { return unexpected("a number"); }
  bool Uint(unsigned) { return unexpected("a number"); }
  bool Int64(std::int64_t) { return unexpected("a number"); }
  bool Uint64(std::uint64_t) { return unexpected("a number"); }
  bool Double(double) { return unexpected("a number"); }
  bool RawNumber(const char* text, rapidjson::SizeType length, bool);
  bool String(const char* text, rapidjson::SizeType length, bool);
  bool StartObject();
  bool Key(const char* text, rapidjson::SizeType length, bool);
  bool EndObject(rapidjson::SizeType);
  bool StartArray();
  bool EndArray(rapidjson::SizeType);

 protected:
  void vWriteContents(KtObject*) override;

 private:
  enum Member { kNone, kType, kId, kDefaults, kSection, kFields, kUnchecked, kObjects };
  enum State {
    kDocument,       // before the root record
    kRecordMember,   // in a record: a member or its end
    kMemberValue,    // the value of the record's member
    kListItem,       // in a list of fields or objects: an item or the list's end
    kFieldKey,       // in a field: its key
    kFieldValue,     // its value
    kFieldEnd,       // its end
    kExplicitKey,    // in a value of the form {"kind": value}: the kind
    kExplicitValue,  // the value
    kExplicitEnd,    // its end
    kDone
  };
  // One open record, the root or an object.
  struct Record {
    bool root = false;
    bool inDefaults = false;  // an object inside a defaults object
    bool opened = false;      // its start is written
    bool defaults = false;
    unsigned seen = 0;  // a bit for each member met
    Member member = kNone;
    std::string type, id, section;
    std::size_t typePlace = 0, sectionPlace = 0;
    // The blocks open in the record's body: their section path, and an unchecked block.
    std::vector<std::string> path;
    bool unchecked = false;
  };

  // The offset of the event's last character: the reader tells of a bracket before it takes it,
  // of anything else after.
  std::size_t here() const {
    const std::size_t told = stream_ != nullptr ? stream_->Tell() : 0;
    return told > 0 && !atBracket_ ? told - 1 : told;
  }
  bool refuse(const std::string& reason, std::size_t offset) {
    if (refusal_.empty()) {
      refusal_ = reason;
      refusalOffset_ = offset;
    }
    return false;
  }
  bool refuse(const std::string& reason) { return refuse(reason, here()); }
  bool unexpected(const char* found);
  Record& top() { return records_[depth_ - 1]; }
  void pushRecord(bool root, bool inDefaults);
  bool recordMember(const std::string& key);
  bool memberString(const std::string& value);
  bool openRecord(Record& record);
  bool closeRecord();
  bool fieldKey(const std::string& key);
  enum NameKind { kTypeName, kSectionName, kFieldName, kValueName };
  // Returns true iff `name` is a name of that kind in the grammar that OML text reads as such;
  // refuses it otherwise.
  bool checkName(const std::string& name, NameKind kind);
  bool isTypeName(const std::string& s) const { return objTypeIDIndex(s.c_str()) >= 1; }
  // Sections, fields and values OML text reads as such: their names are no name of a kind
  // that the reader tries before.
  bool isSectionName(const std::string& s) const {
    return sectionIDIndex(s.c_str()) >= 1 && objTypeIDIndex(s.c_str()) < 0;
  }
  bool isFieldName(const std::string& s) const {
    return checkedFieldIDIndex(s.c_str()) >= 7 && objTypeIDIndex(s.c_str()) < 0 &&
           sectionIDIndex(s.c_str()) < 0;
  }
  bool isValueName(const std::string& s) const {
    return valueIDIndex(s.c_str()) >= 0 && objTypeIDIndex(s.c_str()) < 0 &&
           sectionIDIndex(s.c_str()) < 0 && checkedFieldIDIndex(s.c_str()) < 0;
  }
  // Any name of the grammar: OML text reads it as that name, never as an id.
  bool isGrammarWord(const std::string& s) const {
    return objTypeIDIndex(s.c_str()) >= 0 || sectionIDIndex(s.c_str()) >= 0 ||
           checkedFieldIDIndex(s.c_str()) >= 0 || valueIDIndex(s.c_str()) >= 0;
  }
  bool checkID(const std::string& id, std::string& canonical);
  bool checkReference(const std::string& reference);
  bool fieldValue(const std::string& text, bool number);
  bool explicitValue(const std::string& text, bool number);
  bool realValue(const std::string& text);
  // Opens the blocks of `path` (and an unchecked block) in the record's body, closing those
  // open before unless they are the same.
  void enterBody(Record& record, const std::vector<std::string>& path, bool unchecked,
                 std::size_t place);
  void leaveBody(Record& record);
  void beginField();
  void marker(std::size_t offset);

  std::string jsonName_;
  std::string refusal_;
  std::size_t refusalOffset_ = kNoOffset;
  rapidjson::FileReadStream* stream_ = nullptr;
  bool atBracket_ = false;
  State state_ = kDocument;
  std::vector<Record> records_;  // records_[0, depth_) are open; the rest are kept for reuse
  std::size_t depth_ = 0;
  // The field being read.
  std::vector<std::string> fieldPath_;
  std::string fieldName_, explicitKind_, text_;
  // Section, field and value names found good, so that a name met again costs one probe.
  std::unordered_set<std::string> knownNames_[4];
  std::size_t keyPlace_ = 0;
};

const char* const kMemberNames[] = {"",        "type",   "id",        "defaults",
                                    "section", "fields", "unchecked", "objects"};

void OmlFromJson::vWriteContents(KtObject*) {
  std::FILE* in = std::fopen(jsonName_.c_str(), "rb");
  if (in == nullptr) {
    refuse(std::string("cannot read it: ") + std::strerror(errno), kNoOffset);
    return;
  }
  char buffer[1 << 16];
  rapidjson::FileReadStream stream(in, buffer, sizeof buffer);
  stream_ = &stream;
  rapidjson::Reader reader;
  const rapidjson::ParseResult result =
      reader.Parse<rapidjson::kParseValidateEncodingFlag | rapidjson::kParseIterativeFlag |
                   rapidjson::kParseNumbersAsStringsFlag>(stream, *this);
  const bool failed = std::ferror(in) != 0;
  std::fclose(in);
  stream_ = nullptr;
  if (failed)
    refuse("cannot read it", kNoOffset);
  else if (result.IsError())
    refuse(std::string("not JSON: ") + rapidjson::GetParseError_En(result.Code()), result.Offset());
}

bool OmlFromJson::unexpected(const char* found) {
  switch (state_) {
    case kDocument:
      return refuse(std::string("the document is a record ({...}), not ") + found);
    case kMemberValue:
      switch (top().member) {
        case kType:
        case kSection:
          return refuse(std::string("\"") + kMemberNames[top().member] + "\" takes a name, not " +
                        found);
        case kId:
          return refuse(std::string("\"id\" takes a name or an integer, not ") + found);
        case kDefaults:
          return refuse(std::string("\"defaults\" takes true or false, not ") + found);
        default:
          return refuse(std::string("\"") + kMemberNames[top().member] +
                        "\" takes a list ([...]), not " + found);
      }
    case kListItem:
      return refuse(std::string(top().member == kObjects ? "an object" : "a field") +
                    " is a JSON object ({...}), not " + found);
    case kFieldValue:
      return refuse(std::string("a field's value is a number, a string, true, false or ") +
                    "{\"enum\"|\"ip\"|\"bytes\"|\"ref\"|\"real\": ...}, not " + found);
    case kExplicitValue:
      return refuse(std::string("\"") + explicitKind_ + "\" takes a " +
                    (explicitKind_ == "real" ? "number, \"inf\" or \"-inf\"" : "string") +
                    ", not " + found);
    default:
      return refuse(std::string("unexpected ") + found);
  }
}

void OmlFromJson::pushRecord(bool root, bool inDefaults) {
  if (depth_ == records_.size()) records_.emplace_back();
  Record& r = records_[depth_++];
  r.root = root;
  r.inDefaults = inDefaults;
  r.opened = r.defaults = r.unchecked = false;
  r.seen = 0;
  r.member = kNone;
  r.type.clear();
  r.id.clear();
  r.section.clear();
  r.path.clear();
}

bool OmlFromJson::StartObject() {
  atBracket_ = true;
  switch (state_) {
    case kDocument:
      pushRecord(true, false);
      state_ = kRecordMember;
      return true;
    case kListItem:
      if (top().member == kObjects) {
        if (depth_ > kMaxRecords)
          return refuse("objects nested deeper than " + std::to_string(kMaxRecords));
        pushRecord(false, top().defaults);
        state_ = kRecordMember;
      } else {
        state_ = kFieldKey;
      }
      return true;
    case kFieldValue:
      state_ = kExplicitKey;
      return true;
    default:
      return unexpected("an object");
  }
}

bool OmlFromJson::StartArray() {
  atBracket_ = true;
  if (state_ != kMemberValue || top().member < kFields) return unexpected("a list");
  state_ = kListItem;
  return true;
}

bool OmlFromJson::EndArray(rapidjson::SizeType) {
  atBracket_ = true;
  state_ = kRecordMember;  // the parser ends only the list it is in
  return true;
}

bool OmlFromJson::Key(const char* text, rapidjson::SizeType length, bool) {
  atBracket_ = false;
  text_.assign(text, length);
  switch (state_) {
    case kRecordMember:
      return recordMember(text_);
    case kFieldKey:
      return fieldKey(text_);
    case kExplicitKey:
      if (text_ != "enum" && text_ != "ip" && text_ != "bytes" && text_ != "ref" && text_ != "real")
        return refuse("\"" + text_ + "\" is no kind of value (enum, ip, bytes, ref or real)");
      if (text_ == "enum" && top().member == kUnchecked)
        return refuse("an unchecked field takes no enumeration value");
      explicitKind_ = text_;
      state_ = kExplicitValue;
      return true;
    default:
      return refuse("a field has one member, its name and value");
  }
}

bool OmlFromJson::recordMember(const std::string& key) {
  Record& r = top();
  int m = kNone;
  for (int i = kType; i <= kObjects; ++i)
    if (key == kMemberNames[i]) m = i;
  if (m == kNone || (r.root && m < kFields))
    return refuse("\"" + key + "\" is no member of " +
                  (r.root ? "the root record (fields, unchecked, objects)"
                          : "a record (type, id, defaults, section, fields, unchecked, objects)"));
  if ((r.seen & (1u << m)) != 0) return refuse("\"" + key + "\" is given twice");
  if (m < kFields && r.opened)
    return refuse("\"" + key + "\" comes before \"fields\", \"unchecked\" and \"objects\"");
  r.seen |= 1u << m;
  r.member = static_cast<Member>(m);
  if (m >= kFields && !openRecord(r)) return false;
  state_ = kMemberValue;
  return true;
}

bool OmlFromJson::checkID(const std::string& id, std::string& canonical) {
  std::int32_t number = 0;
  if (isInteger(id, number)) {
    canonical = std::to_string(number);
    return true;
  }
  if (!isIdentifier(id))
    return refuse("the id `" + id +
                  "' is neither a name (a letter or _, then letters, digits and _) "
                  "nor a 32-bit integer");
  if (isGrammarWord(id) || id == "defaults")
    return refuse("the id `" + id +
                  "' is a name of the grammar, which OML text cannot use as an id");
  canonical = id;
  return true;
}

bool OmlFromJson::memberString(const std::string& value) {
  Record& r = top();
  state_ = kRecordMember;
  switch (r.member) {
    case kType:
      if (!checkName(value, kTypeName)) return false;
      r.type = value;
      r.typePlace = here();
      return true;
    case kId:
      if (r.defaults) return refuse("a defaults object has no id");
      return checkID(value, r.id);
    case kSection: {
      if (r.inDefaults)
        return refuse("an object inside a defaults object stands in the defaults' section");
      std::vector<std::string> names;
      split(value, '/', names);
      for (const std::string& name : names)
        if (!checkName(name, kSectionName)) return false;
      r.section = value;
      r.sectionPlace = here();
      return true;
    }
    default:
      return unexpected("a string");
  }
}

bool OmlFromJson::checkName(const std::string& name, NameKind kind) {
  static const char* const kPhrases[] = {"an object type", "a section", "a field", "a value"};
  static bool (OmlFromJson::*const kKnown[])(const std::string&)
      const = {&OmlFromJson::isTypeName, &OmlFromJson::isSectionName, &OmlFromJson::isFieldName,
               &OmlFromJson::isValueName};
  std::unordered_set<std::string>& memo = knownNames_[kind];
  if (memo.count(name) != 0) return true;
  if ((this->*kKnown[kind])(name) && isIdentifier(name)) {
    if (memo.size() < kMaxKnownNames) memo.insert(name);
    return true;
  }
  if (kind == kSectionName && sectionIDIndex(name.c_str()) == 0)
    return refuse("the section `" + name + "' holds nothing that is read");
  return refuse("`" + name + "' is not " + kPhrases[kind] + " of the grammar" +
                (isGrammarWord(name) ? " that OML text can name here" : ""));
}

bool OmlFromJson::openRecord(Record& r) {
  if (r.opened) return true;
  r.opened = true;
  if (r.root) return true;
  if ((r.seen & (1u << kType)) == 0) return refuse("an object has a \"type\"");
  std::vector<std::string> path;
  if (!r.section.empty()) split(r.section, '/', path);
  enterBody(records_[depth_ - 2], path, false, r.sectionPlace);
  marker(r.typePlace);
  if (r.defaults)
    writeObjectDefaultStart(r.type.c_str());
  else
    writeObjectStart(r.type.c_str(), r.id.empty() ? nullptr : r.id.c_str(), 0);
  writeOpeningBracket();
  return true;
}

bool OmlFromJson::closeRecord() {
  Record& r = top();
  if (!openRecord(r)) return false;
  leaveBody(r);
  if (!r.root) writeClosingBracket();
  --depth_;
  state_ = depth_ == 0 ? kDone : kListItem;
  return true;
}

bool OmlFromJson::EndObject(rapidjson::SizeType) {
  atBracket_ = true;
  switch (state_) {
    case kRecordMember:
      return closeRecord();
    case kFieldEnd:
      state_ = kListItem;
      return true;
    case kExplicitEnd:
      state_ = kFieldEnd;
      return true;
    case kFieldKey:
      return refuse("a field has one member, its name and value");
    default:
      return refuse("a value of the form {\"kind\": value} has one member");
  }
}

bool OmlFromJson::fieldKey(const std::string& key) {
  keyPlace_ = here();
  if (key.find('/') == std::string::npos) {
    fieldPath_.clear();
    fieldName_ = key;
  } else {
    split(key, '/', fieldPath_);
    fieldName_ = fieldPath_.back();
    fieldPath_.pop_back();
  }
  for (const std::string& section : fieldPath_)
    if (!checkName(section, kSectionName)) return false;
  if (top().member == kUnchecked) {
    const std::int32_t index = checkedFieldIDIndex(fieldName_.c_str());
    if (!isIdentifier(fieldName_))
      return refuse("`" + fieldName_ +
                    "' is not a name (a letter or _, then letters, digits and _)");
    if (index >= 0 && index < 7)
      return refuse("`" + fieldName_ + "' is a built-in name, not a field");
  } else if (!checkName(fieldName_, kFieldName)) {
    return false;
  }
  state_ = kFieldValue;
  return true;
}

void OmlFromJson::marker(std::size_t offset) {
  char line[40] = {kMarker[0], kMarker[1]};
  char* end = std::to_chars(line + 2, line + sizeof line - 3, offset).ptr;
  std::memcpy(end, "\r\n", 3);
  writeString(line);
}

void OmlFromJson::enterBody(Record& r, const std::vector<std::string>& path, bool unchecked,
                            std::size_t place) {
  if (r.unchecked == unchecked && r.path == path) return;
  leaveBody(r);
  for (const std::string& section : path) {
    marker(place);
    writeSectionStart(section.c_str(), 0);
    writeOpeningBracket();
  }
  r.path = path;
  if (unchecked) {
    writeOpeningBracket();
    writeStringAttribute("comment", "unchecked");
    r.unchecked = true;
  }
}

void OmlFromJson::leaveBody(Record& r) {
  if (r.unchecked) writeClosingBracket();
  for (std::size_t i = 0; i < r.path.size(); ++i) writeClosingBracket();
  r.path.clear();
  r.unchecked = false;
}

void OmlFromJson::beginField() {
  enterBody(top(), fieldPath_, top().member == kUnchecked, keyPlace_);
  marker(here());
}

bool OmlFromJson::Bool(bool b) {
  atBracket_ = false;
  if (state_ == kMemberValue && top().member == kDefaults) {
    if (b && !top().id.empty()) return refuse("a defaults object has no id");
    top().defaults = b;
    state_ = kRecordMember;
    return true;
  }
  if (state_ != kFieldValue) return unexpected(b ? "true" : "false");
  if (top().member == kUnchecked) return refuse("an unchecked field takes no truth value");
  beginField();
  writeBoolAttribute(fieldName_.c_str(), b ? 1 : 0);
  state_ = kFieldEnd;
  return true;
}

bool OmlFromJson::String(const char* text, rapidjson::SizeType length, bool) {
  atBracket_ = false;
  text_.assign(text, length);
  switch (state_) {
    case kMemberValue:
      return memberString(text_);
    case kFieldValue:
      return fieldValue(text_, false);
    case kExplicitValue:
      return explicitValue(text_, false);
    default:
      return unexpected("a string");
  }
}

bool OmlFromJson::RawNumber(const char* text, rapidjson::SizeType length, bool) {
  atBracket_ = false;
  text_.assign(text, length);
  switch (state_) {
    case kMemberValue:
      if (top().member != kId) return unexpected("a number");
      if (top().defaults) return refuse("a defaults object has no id");
      state_ = kRecordMember;
      return checkID(text_, top().id);
    case kFieldValue:
      return fieldValue(text_, true);
    case kExplicitValue:
      return explicitValue(text_, true);
    default:
      return unexpected("a number");
  }
}

bool OmlFromJson::fieldValue(const std::string& text, bool number) {
  state_ = kFieldEnd;
  if (number) {
    if (text.find_first_of(".eE") != std::string::npos) return realValue(text);
    std::int32_t value = 0;
    if (!isInteger(text, value)) return refuse("the integer " + text + " has more than 32 bits");
    beginField();
    writeAttribute(fieldName_.c_str(), static_cast<int>(value));
    return true;
  }
  std::string bytes;
  utf8ToBytes(text.data(), text.size(), bytes);
  if (bytes.find('\0') != std::string::npos)
    return refuse("a string holds no zero character (\\u0000)");
  beginField();
  writeStringAttribute(fieldName_.c_str(), bytes.c_str());
  return true;
}

bool OmlFromJson::realValue(const std::string& text) {
  errno = 0;
  const double value = std::strtod(text.c_str(), nullptr);
  if (errno == ERANGE && std::isinf(value))
    return refuse("the number " + text + " is beyond the range of a real");
  char digits[40];
  realText(value, digits);
  beginField();
  writeAttribute(fieldName_.c_str(), digits);
  return true;
}

bool OmlFromJson::checkReference(const std::string& reference) {
  std::vector<std::string> parts;
  const bool full = !reference.empty() && reference[0] == '$';
  if (full && reference.size() == 1) return true;
  split(reference.substr(full && reference.size() > 1 && reference[1] == ',' ? 2
                         : full                                              ? 1
                                                                             : 0),
        ',', parts);
  for (const std::string& part : parts) {
    std::int32_t number = 0;
    if (!isIdentifier(part) && !isInteger(part, number))
      return refuse("the reference `" + reference +
                    "' is neither an id nor a path of ids (\"$,1,7\")");
  }
  if (!full && parts.size() == 1 && (isGrammarWord(parts[0]) || parts[0] == "defaults"))
    return refuse("the reference `" + reference +
                  "' is a name of the grammar, which OML text cannot use as an id");
  // Unchecked mode reads every name as a field name.
  if (!full && parts.size() == 1 && isIdentifier(parts[0]) && top().member == kUnchecked)
    return refuse("an unchecked field refers by a path (\"$,1,7\") or a number, not by the name `" +
                  reference + "'");
  return true;
}

bool OmlFromJson::explicitValue(const std::string& text, bool number) {
  const char* name = fieldName_.c_str();
  if (explicitKind_ == "real" && !number && text != "inf" && text != "-inf")
    return unexpected(("\"" + text + "\"").c_str());
  if (explicitKind_ != "real" && number) return unexpected("a number");
  state_ = kExplicitEnd;
  if (explicitKind_ == "real") {
    if (number) return realValue(text);
    beginField();
    writeAttribute(name, text == "inf" ? "1e999" : "-1e999");
    return true;
  }
  if (explicitKind_ == "enum") {
    if (!checkName(text, kValueName)) return false;
    beginField();
    writeAttribute(name, text.c_str());
  } else if (explicitKind_ == "ip") {
    std::uint32_t address = 0;
    if (!parseIP(text, address))
      return refuse("`" + text + "' is not an IP address (four numbers 0 to 255 with dots)");
    beginField();
    writeIPBytesAttribute(name, address);
  } else if (explicitKind_ == "bytes") {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); i += 2) {
      const int high = hexDigit(text[i]);
      const int low = i + 1 < text.size() ? hexDigit(text[i + 1]) : -1;
      if (high < 0 || low < 0) return refuse("bytes are written as pairs of hexadecimal digits");
      bytes.push_back(static_cast<char>(high << 4 | low));
    }
    KtOMLBinValue value(static_cast<std::int32_t>(bytes.size()), bytes.data());
    beginField();
    writeAttribute(name, &value);
  } else {
    if (!checkReference(text)) return false;
    beginField();
    writeReferenceAttribute(name, text.c_str());
  }
  return true;
}

}  // namespace

TextPlace placeOfOffset(const std::string& fileName, std::size_t offset) {
  TextPlace place;
  std::FILE* in = std::fopen(fileName.c_str(), "rb");
  if (in == nullptr) return place;
  place.line = 1;
  place.column = 1;
  int previous = 0;
  for (std::size_t i = 0; i < offset; ++i) {
    const int c = std::fgetc(in);
    if (c == EOF) break;
    if (c == '\n' && previous == '\r') {
      previous = c;
      continue;
    }
    if (c == '\n' || c == '\r') {
      ++place.line;
      place.column = 1;
    } else {
      ++place.column;
    }
    previous = c;
  }
  std::fclose(in);
  return place;
}

void JsonReader::vErrorMessage(const char* file, std::int32_t line, int position, int code,
                               const char* text, int fatal) {
  if (firstCode_ < 0) {
    firstCode_ = code;
    firstLine_ = line;
    firstText_ = text != nullptr ? text : "";
  }
  KtOMLFile::vErrorMessage(file, line, position, code, text, fatal);
}

namespace {

// The JSON offset of the last marker before line `line` of the OML text; kNoOffset when none.
std::size_t tracedOffset(const std::string& omlName, std::int32_t line) {
  std::FILE* in = std::fopen(omlName.c_str(), "rb");
  if (in == nullptr) return kNoOffset;
  std::size_t offset = kNoOffset;
  std::int32_t current = 1;
  bool lineStart = true;
  for (int c; current < line && (c = std::fgetc(in)) != EOF;) {
    if (lineStart && c == kMarker[0]) {
      const int next = std::fgetc(in);
      unsigned long long value = 0;
      if (next == kMarker[1] && std::fscanf(in, "%llu", &value) == 1) {
        offset = static_cast<std::size_t>(value);
        lineStart = false;
        continue;  // the rest of the marker's line, up to its line feed
      }
      if (next != EOF) std::ungetc(next, in);
    }
    lineStart = c == '\n';
    if (lineStart) ++current;
  }
  std::fclose(in);
  return offset;
}

void describe(const std::string& name, const std::string& reason, std::size_t offset,
              std::string& error, TextPlace& place) {
  if (offset == kNoOffset) {
    place = TextPlace();
    error = name + ": " + reason;
    return;
  }
  place = placeOfOffset(name, offset);
  error =
      name + ":" + std::to_string(place.line) + ":" + std::to_string(place.column) + ": " + reason;
}

}  // namespace

bool JsonReader::read(const std::string& jsonName, KtOMLStatic* grammar, const std::string& folder,
                      std::string& error, TextPlace& place) {
  firstCode_ = -1;
  firstLine_ = -1;
  firstText_.clear();
  std::string pattern = folder + "/omltool-json-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back(0);
  const int fd = mkstemp(name.data());
  if (fd < 0) {
    error = "cannot make a temporary file in " + folder + ": " + std::strerror(errno);
    return false;
  }
  ::close(fd);
  const std::string temporary(name.data());
  OmlFromJson oml(jsonName);
  const KtFileCodeEnum written = oml.writeOMLFile(temporary.c_str(), grammar, nullptr, 0, 0, 0);
  bool ok = false;
  if (!oml.refusal().empty()) {
    describe(jsonName, oml.refusal(), oml.refusalOffset(), error, place);
  } else if (written != KT_FILE_OK) {
    describe(jsonName, "cannot write the temporary file " + temporary, kNoOffset, error, place);
  } else {
    // The first error is all that is told: reading stops at it.
    maxNumberOfErrors(1);
    ok = readOMLFile(temporary.c_str(), grammar, nullptr, -1, 0, 0, 0) == KT_FILE_OK;
    if (!ok && firstCode_ >= 0) {
      char code[16];
      std::snprintf(code, sizeof code, " (#%03d)", firstCode_);
      describe(jsonName, firstText_ + code, tracedOffset(temporary, firstLine_), error, place);
    } else if (!ok) {
      describe(jsonName, "cannot read the temporary file " + temporary, kNoOffset, error, place);
    }
  }
  std::remove(temporary.c_str());
  return ok;
}
