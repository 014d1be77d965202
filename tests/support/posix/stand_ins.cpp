// The native build's stand-ins for the window, clipboard, store, shell and
// job input (see stand_ins.h).

#include "tests/support/stand_ins.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>

#include "job/job_worker.h"
#include "platform/clipboard.h"
#include "platform/job_input.h"
#include "platform/memory.h"
#include "platform/shell.h"
#include "platform/user_store.h"

namespace {

std::mutex g_lock;  // the worker posts reports and fills the clipboard
std::condition_variable g_reported;
std::deque<int32_t> g_reports;
std::vector<std::u16string> g_log, g_shellLog;
std::map<Control, std::u16string> g_texts;
std::map<Control, bool> g_disabled;
WindowRect g_rect, g_work;
std::u16string g_clipboard_text, g_commandLine = u"\"dorrowin\"";
bool g_busy = false;
int32_t g_liveDrops = 0, g_openKeys = 0;

std::u16string Num(int64_t n) {
  std::string s = std::to_string(n);
  return std::u16string(s.begin(), s.end());
}
void Log(std::u16string text) { g_log.push_back(std::move(text)); }
std::u16string Id(Control c) { return Num(static_cast<int32_t>(c)); }

int32_t TextLength(Control c) { return static_cast<int32_t>(g_texts[c].size()); }
int32_t Text(Control c, char16_t* buffer, int32_t capacity) {
  int32_t n = std::min<int32_t>(TextLength(c), capacity - 1);
  g_texts[c].copy(buffer, static_cast<size_t>(n));
  buffer[n] = 0;
  return n;
}
void SetText(Control c, const char16_t* text) {
  g_texts[c] = text;
  Log(u"text " + Id(c) + u" " + text);
}
void Enable(Control c, bool on) {
  g_disabled[c] = !on;
  Log(u"enable " + Id(c) + u" " + Num(on));
}
void Show(Control c, bool on) { Log(u"show " + Id(c) + u" " + Num(on)); }
void Move(Control c, int32_t x, int32_t y, int32_t w, int32_t h) {
  Log(u"move " + Id(c) + u" " + Num(x) + u" " + Num(y) + u" " + Num(w) + u" " + Num(h));
}
void MoveWin(int32_t x, int32_t y, int32_t w, int32_t h, bool) {
  g_rect = WindowRect{x, y, x + w, y + h};
  Log(u"window " + Num(x) + u" " + Num(y) + u" " + Num(w) + u" " + Num(h));
}
void Place(int32_t x, int32_t y) {
  g_rect = WindowRect{x, y, x + g_rect.right - g_rect.left, y + g_rect.bottom - g_rect.top};
  Log(u"place " + Num(x) + u" " + Num(y));
}
// A tool window's frame as Wine draws it: 3 on each side, a 22 caption.
void Outer(int32_t w, int32_t h, int32_t* ow, int32_t* oh) {
  *ow = w + 6;
  *oh = h + 28;
}
void PostReport(int32_t report) {
  std::lock_guard<std::mutex> hold(g_lock);
  g_reports.push_back(report);
  g_reported.notify_all();
}

ClipboardResult SetClipboard(size_t units, ClipboardFillFn fill, const void* source) {
  std::lock_guard<std::mutex> hold(g_lock);
  if (g_busy) return ClipboardResult::Busy;
  if (!PlatformAllocationAllowed()) return ClipboardResult::NoMemory;
  std::u16string block(units + 1, u'\0');
  fill(source, block.data());
  g_clipboard_text = block.substr(0, units);
  return ClipboardResult::Stored;
}

using Drop = std::vector<std::u16string>;
Drop& D(DropHandle d) { return *static_cast<Drop*>(d); }
uint32_t DropCount(DropHandle d) { return static_cast<uint32_t>(D(d).size()); }
uint32_t DropLength(DropHandle d, uint32_t i) { return static_cast<uint32_t>(D(d)[i].size()); }
uint32_t DropPath(DropHandle d, uint32_t i, char16_t* buffer, uint32_t capacity) {
  uint32_t n = std::min<uint32_t>(DropLength(d, i), capacity - 1);
  D(d)[i].copy(buffer, n);
  buffer[n] = 0;
  return n;
}
void ReleaseDrop(DropHandle d) {
  delete &D(d);
  --g_liveDrops;
}

// The store: keys by their case-folded full path, values in the order made.
struct Value {
  std::u16string name;
  uint32_t type;
  std::string bytes;
};
struct Key {
  std::u16string name;
  std::vector<Value> values;
};
std::map<std::u16string, Key> g_keys;
struct Handle {
  std::u16string path;
  StoreAccess access;
};
std::u16string Fold(std::u16string s) {
  for (char16_t& c : s) c = c >= u'A' && c <= u'Z' ? c + 32 : c;
  return s;
}
std::u16string Full(StoreKey parent, const char16_t* path) {
  std::u16string base = parent ? static_cast<Handle*>(parent)->path : u"";
  return Fold(base.empty() ? path : base + u"\\" + path);
}
std::vector<const Key*> Subkeys(const std::u16string& path) {
  std::vector<const Key*> out;
  for (auto& [full, key] : g_keys) {
    if (full.size() > path.size() && full.compare(0, path.size(), path) == 0 && full[path.size()] == u'\\' &&
        full.find(u'\\', path.size() + 1) == std::u16string::npos) {
      out.push_back(&key);
    }
  }
  return out;
}
Key* KeyOf(StoreKey k) {
  auto found = g_keys.find(static_cast<Handle*>(k)->path);
  return found == g_keys.end() ? nullptr : &found->second;
}
Value* Find(Key* key, const char16_t* name) {
  for (Value& v : key->values) {
    if (Fold(v.name) == Fold(name)) return &v;
  }
  return nullptr;
}
StoreResult Open(StoreKey parent, const char16_t* path, StoreAccess access, StoreKey* key) {
  std::u16string full = Full(parent, path);
  if (!g_keys.count(full)) return StoreResult::NotFound;
  *key = new Handle{full, access};
  ++g_openKeys;
  return StoreResult::Ok;
}
StoreResult Create(StoreKey parent, const char16_t* path, StoreAccess access, StoreKey* key) {
  std::u16string full = parent ? static_cast<Handle*>(parent)->path : u"", given = path;
  for (size_t start = 0; start <= given.size();) {
    size_t end = std::min(given.find(u'\\', start), given.size());
    std::u16string name = given.substr(start, end - start);
    full = full.empty() ? Fold(name) : full + u"\\" + Fold(name);
    if (!g_keys.count(full)) g_keys[full].name = name;
    start = end + 1;
  }
  return Open(parent, path, access, key);
}
void Close(StoreKey key) {
  delete static_cast<Handle*>(key);
  --g_openKeys;
}
StoreResult Query(StoreKey k, const char16_t* name, uint32_t* type, void* data, uint32_t* size) {
  Key* key = KeyOf(k);
  Value* v = key ? Find(key, name) : nullptr;
  if (v == nullptr) return StoreResult::NotFound;
  if (type) *type = v->type;
  uint32_t capacity = *size;
  *size = static_cast<uint32_t>(v->bytes.size());
  if (data == nullptr) return StoreResult::Ok;
  if (capacity < v->bytes.size()) return StoreResult::MoreData;
  v->bytes.copy(static_cast<char*>(data), v->bytes.size());
  return StoreResult::Ok;
}
StoreResult Set(StoreKey k, const char16_t* name, uint32_t type, const void* data, uint32_t size) {
  Key* key = KeyOf(k);
  if (key == nullptr || static_cast<Handle*>(k)->access == StoreAccess::Read) return StoreResult::Denied;
  Value* v = Find(key, name);
  if (v == nullptr) v = &key->values.emplace_back(Value{name, 0, {}});
  v->type = type;
  v->bytes.assign(static_cast<const char*>(data), size);
  return StoreResult::Ok;
}
StoreResult Info(StoreKey k, uint32_t* subkeys, uint32_t* longestSubkey, uint32_t* values, uint32_t* longestValue) {
  Key* key = KeyOf(k);
  if (key == nullptr) return StoreResult::Failed;
  auto subs = Subkeys(static_cast<Handle*>(k)->path);
  *subkeys = static_cast<uint32_t>(subs.size());
  *longestSubkey = *longestValue = 0;
  for (const Key* s : subs) *longestSubkey = std::max<uint32_t>(*longestSubkey, static_cast<uint32_t>(s->name.size()));
  *values = static_cast<uint32_t>(key->values.size());
  for (const Value& v : key->values) *longestValue = std::max<uint32_t>(*longestValue, static_cast<uint32_t>(v.name.size()));
  return StoreResult::Ok;
}
StoreResult CopyName(const std::u16string& text, char16_t* name, uint32_t capacity) {
  if (text.size() + 1 > capacity) return StoreResult::MoreData;
  text.copy(name, text.size());
  name[text.size()] = 0;
  return StoreResult::Ok;
}
StoreResult EnumKey(StoreKey k, uint32_t index, char16_t* name, uint32_t capacity) {
  auto subs = Subkeys(static_cast<Handle*>(k)->path);
  return index < subs.size() ? CopyName(subs[index]->name, name, capacity) : StoreResult::NoMoreItems;
}
StoreResult EnumValue(StoreKey k, uint32_t index, char16_t* name, uint32_t* length) {
  Key* key = KeyOf(k);
  if (key == nullptr || index >= key->values.size()) return StoreResult::NoMoreItems;
  StoreResult result = CopyName(key->values[index].name, name, *length);
  if (result == StoreResult::Ok) *length = static_cast<uint32_t>(key->values[index].name.size());
  return result;
}
StoreResult DeleteValue(StoreKey k, const char16_t* name) {
  Key* key = KeyOf(k);
  Value* v = key ? Find(key, name) : nullptr;
  if (v == nullptr) return StoreResult::NotFound;
  key->values.erase(key->values.begin() + (v - key->values.data()));
  return StoreResult::Ok;
}
StoreResult DeleteKey(StoreKey parent, const char16_t* name) {
  std::u16string full = Full(parent, name);
  if (!g_keys.count(full)) return StoreResult::NotFound;
  if (!Subkeys(full).empty()) return StoreResult::Denied;
  g_keys.erase(full);
  return StoreResult::Ok;
}

bool OpenDocument(const char16_t* path) {
  std::u16string p = path;
  g_shellLog.push_back(u"open " + p);
  return p.size() > 4 && p.compare(p.size() - 4, 4, u".txt") == 0;
}
void Warn(const char16_t* text, const char16_t* caption) {
  g_shellLog.push_back(u"warn " + std::u16string(text) + u"|" + caption);
}

}  // namespace

WindowApi g_window{TextLength, Text, SetText, Enable, Show, Move,
                   [](bool on) { Log(u"topmost " + Num(on)); },
                   [](uint8_t alpha) { Log(u"alpha " + Num(alpha)); },
                   [](const char16_t* title) { Log(u"title " + std::u16string(title)); },
                   [] { return g_rect; }, MoveWin, Place, Outer, [] { return g_work; },
                   [](bool on) { Log(u"drops " + Num(on)); }, [] { Log(u"timer 1"); },
                   [] { Log(u"timer 0"); }, [] { Log(u"close"); }, PostReport, [] { Log(u"minimize"); }};
ClipboardApi g_clipboard{SetClipboard};
JobInputApi g_jobInput{DropCount, DropLength, DropPath, ReleaseDrop, [] { return g_commandLine.c_str(); }};
UserStoreApi g_userStore{Open, Create, Close, Query, Set, Info, EnumKey, EnumValue, DeleteValue, DeleteKey};
ShellApi g_shell{OpenDocument, Warn};

std::vector<std::u16string> WindowLog() { return g_log; }
void ClearWindowLog() { g_log.clear(); }
std::u16string ControlText(Control control) { return g_texts[control]; }
void SetControlTextForTest(Control control, const std::u16string& text) { g_texts[control] = text; }
bool ControlEnabled(Control control) { return !g_disabled[control]; }
void SetWindowRect(WindowRect rect) { g_rect = rect; }
void SetWorkArea(WindowRect rect) { g_work = rect; }

void ResetStandIns() {
  g_log.clear();
  g_shellLog.clear();
  g_texts.clear();
  g_disabled.clear();
  g_keys.clear();
  g_rect = WindowRect{0, 0, 100, 100};
  g_work = WindowRect{0, 0, 1280, 984};
  g_clipboard_text.clear();
  g_busy = false;
}

void PumpJobReports() {
  while (g_status != StatusState::Idle) {
    std::unique_lock<std::mutex> hold(g_lock);
    g_reported.wait(hold, [] { return !g_reports.empty(); });
    int32_t report = g_reports.front();
    g_reports.pop_front();
    hold.unlock();
    OnJobReport(report);
  }
}

std::u16string ClipboardText() {
  std::lock_guard<std::mutex> hold(g_lock);
  return g_clipboard_text;
}
void SetClipboardText(const std::u16string& text) { g_clipboard_text = text; }
void SetClipboardBusy(bool busy) { g_busy = busy; }
void* MakeDrop(const std::vector<std::u16string>& paths) {
  ++g_liveDrops;
  return new Drop(paths);
}
int32_t LiveDrops() { return g_liveDrops; }
void SetCommandLine(const std::u16string& line) { g_commandLine = line; }

std::vector<std::u16string> StoreContents() {
  std::vector<std::u16string> out;
  static const char* kHex = "0123456789abcdef";
  for (auto& [path, key] : g_keys) {
    out.push_back(path);
    for (const Value& v : key.values) {
      std::u16string line = v.name + u"=" + Num(v.type) + u":";
      for (unsigned char b : v.bytes) line += {char16_t(kHex[b >> 4]), char16_t(kHex[b & 15])};
      out.push_back(line);
    }
  }
  return out;
}
int32_t OpenStoreKeys() { return g_openKeys; }
std::vector<std::u16string> ShellLog() { return g_shellLog; }
