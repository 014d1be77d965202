// The native build's stand-ins for the window, clipboard, store, shell and job input (see test_support.h).
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>

#include "platform/clipboard.h"
#include "platform/shell.h"
#include "tests/support/test_support.h"

namespace {

using Units = std::u16string;
std::mutex g_lock;  // the worker posts reports and fills the clipboard
std::condition_variable g_reported;
std::deque<int32_t> g_reports;
std::vector<Units> g_log, g_shellLog;
std::map<Control, Units> g_texts;
std::map<Control, bool> g_disabled;
WindowRect g_rect, g_work;
Units g_clipboardText;
std::vector<Units> g_clipboardFiles;
bool g_busy = false;
int32_t g_liveDrops = 0, g_openKeys = 0;

Units Nums(std::initializer_list<int64_t> numbers) {
  std::string out;
  for (int64_t n : numbers) out += " " + std::to_string(n);
  return Units(out.begin(), out.end());
}
void Log(const Units& text) { g_log.push_back(text); }
void Place(int32_t x, int32_t y, int32_t w, int32_t h, const Units& event) { g_rect = {x, y, x + w, y + h}, Log(event); }
Units Id(Control c) { return Nums({static_cast<int32_t>(c)}); }
// Copies text into a buffer of capacity units, terminator included, cut to fit; gives the units copied.
template <typename N> N CopyOut(const Units& text, char16_t* buffer, N capacity) {
  N n = std::min(N(text.size()), capacity - 1);
  return buffer[text.copy(buffer, size_t(n))] = 0, n;
}
ClipboardResult SetClipboard(size_t units, ClipboardFillFn fill, const void* source) {
  std::lock_guard hold(g_lock);
  if (g_busy) return ClipboardResult::Busy;
  if (!PlatformAllocationAllowed()) return ClipboardResult::NoMemory;
  Units block(units + 1, u'\0');
  fill(source, block.data());
  return g_clipboardFiles.clear(), g_clipboardText = block.substr(0, units), ClipboardResult::Stored;
}
PasteResult TakeFiles(DropHandle* drop) {
  std::lock_guard hold(g_lock);
  *drop = nullptr;
  if (g_busy || g_clipboardFiles.empty()) return g_busy ? PasteResult::Busy : PasteResult::NoFiles;
  if (!PlatformAllocationAllowed()) return PasteResult::NoMemory;
  return *drop = MakeDrop(g_clipboardFiles), PasteResult::Taken;
}
using Drop = std::vector<Units>;
Drop& DropOf(DropHandle d) { return *static_cast<Drop*>(d); }

// The store: keys by their case-folded full path (enumerated in that order, as the registry does), each
// with its own spelling and its values in the order made; a handle is the key's folded path.
struct Value { Units name; uint32_t type; std::string bytes; };
struct Key { Units name; std::vector<Value> values; };
std::map<Units, Key> g_keys;
Units Fold(Units s) {
  for (char16_t& c : s) c = c >= u'A' && c <= u'Z' ? c + 32 : c;
  return s;
}
Units& PathOf(StoreKey k) { return *static_cast<Units*>(k); }
Units Full(StoreKey parent, const char16_t* path) { return Fold(parent ? PathOf(parent) + u"\\" + path : Units(path)); }
std::vector<Key*> Subkeys(const Units& path) {
  std::vector<Key*> out;
  for (auto& [full, key] : g_keys)
    if (full.rfind(path + u"\\", 0) == 0 && full.find(u'\\', path.size() + 1) == Units::npos) out.push_back(&key);
  return out;
}
Key* KeyOf(StoreKey k) { return g_keys.count(PathOf(k)) ? &g_keys[PathOf(k)] : nullptr; }
Value* Find(StoreKey k, const char16_t* name) {  // value names are spelled one way throughout
  Key* key = KeyOf(k);
  for (size_t i = 0; key && i < key->values.size(); ++i) if (key->values[i].name == name) return &key->values[i];
  return nullptr;
}
StoreResult Open(StoreKey parent, const char16_t* path, StoreAccess, StoreKey* key) {
  if (!g_keys.count(Full(parent, path))) return StoreResult::NotFound;
  return *key = new Units(Full(parent, path)), ++g_openKeys, StoreResult::Ok;
}
StoreResult Create(StoreKey parent, const char16_t* path, StoreAccess access, StoreKey* key) {
  Units full = parent ? PathOf(parent) : u"", given = path;
  for (size_t start = 0, end; start <= given.size(); start = end + 1) {
    end = std::min(given.find(u'\\', start), given.size());
    full += (full.empty() ? u"" : u"\\") + Fold(given.substr(start, end - start));
    if (!g_keys.count(full)) g_keys[full].name = given.substr(start, end - start);
  }
  return Open(parent, path, access, key);
}
StoreResult Query(StoreKey k, const char16_t* name, uint32_t* type, void* data, uint32_t* size) {
  Value* v = Find(k, name);
  if (v == nullptr) return StoreResult::NotFound;
  uint32_t capacity = *size;
  *size = static_cast<uint32_t>(v->bytes.size());
  if (type) *type = v->type;
  if (data != nullptr && capacity < v->bytes.size()) return StoreResult::MoreData;
  return data != nullptr ? v->bytes.copy(static_cast<char*>(data), v->bytes.size()) : 0, StoreResult::Ok;
}
StoreResult Set(StoreKey k, const char16_t* name, uint32_t type, const void* data, uint32_t size) {
  Value* v = Find(k, name) ? Find(k, name) : &KeyOf(k)->values.emplace_back(Value{name, 0, {}});
  return *v = Value{v->name, type, std::string(static_cast<const char*>(data), size)}, StoreResult::Ok;
}
StoreResult Info(StoreKey k, uint32_t* subkeys, uint32_t* longestSubkey, uint32_t* values, uint32_t* longestValue) {
  *subkeys = *longestSubkey = *longestValue = 0;  // the subkeys' figures are not asked for
  *values = static_cast<uint32_t>(KeyOf(k)->values.size());
  for (Value& v : KeyOf(k)->values) *longestValue = std::max(*longestValue, uint32_t(v.name.size()));
  return StoreResult::Ok;
}
StoreResult CopyName(const Units& text, char16_t* name, uint32_t capacity) {
  if (text.size() + 1 > capacity) return StoreResult::MoreData;
  return name[text.copy(name, text.size())] = 0, StoreResult::Ok;
}
StoreResult EnumKey(StoreKey k, uint32_t i, char16_t* name, uint32_t capacity) {
  auto subs = Subkeys(PathOf(k));
  return i < subs.size() ? CopyName(subs[i]->name, name, capacity) : StoreResult::NoMoreItems;
}
StoreResult EnumValue(StoreKey k, uint32_t i, char16_t* name, uint32_t* length) {
  if (i >= KeyOf(k)->values.size()) return StoreResult::NoMoreItems;
  StoreResult result = CopyName(KeyOf(k)->values[i].name, name, *length);
  return *length = uint32_t(KeyOf(k)->values[i].name.size()), result;
}
StoreResult DeleteValue(StoreKey k, const char16_t* name) {
  if (Find(k, name) == nullptr) return StoreResult::NotFound;
  return KeyOf(k)->values.erase(KeyOf(k)->values.begin() + (Find(k, name) - KeyOf(k)->values.data())), StoreResult::Ok;
}
StoreResult DeleteKey(StoreKey parent, const char16_t* name) {
  Units full = Full(parent, name);
  if (!g_keys.count(full)) return StoreResult::NotFound;
  return Subkeys(full).empty() ? (g_keys.erase(full), StoreResult::Ok) : StoreResult::Denied;
}

}  // namespace

WindowApi g_window{
    [](MainWindow*, Control c) { return int32_t(g_texts[c].size()); },
    [](MainWindow*, Control c, char16_t* buffer, int32_t capacity) { return CopyOut(g_texts[c], buffer, capacity); },
    [](MainWindow*, Control c, const char16_t* text) { Log(u"text" + Id(c) + u" " + (g_texts[c] = text)); },
    [](MainWindow*, Control c, bool on) { Log(u"enable" + Id(c) + Nums({!(g_disabled[c] = !on)})); },
    [](MainWindow*, Control c, bool on) { Log(u"show" + Id(c) + Nums({on})); },
    [](MainWindow*, Control c, int32_t x, int32_t y, int32_t w, int32_t h) { Log(u"move" + Id(c) + Nums({x, y, w, h})); },
    [](MainWindow*, bool on) { Log(u"topmost" + Nums({on})); }, [](MainWindow*, uint8_t alpha) { Log(u"alpha" + Nums({alpha})); },
    [](MainWindow*, const char16_t* title) { Log(u"title " + Units(title)); }, [](MainWindow*) { return g_rect; },
    [](MainWindow*, int32_t x, int32_t y, int32_t w, int32_t h, bool) { Place(x, y, w, h, u"window" + Nums({x, y, w, h})); },
    [](MainWindow*, int32_t x, int32_t y) {
      Place(x, y, g_rect.right - g_rect.left, g_rect.bottom - g_rect.top, u"place" + Nums({x, y}));
    },
    // A tool window's frame as Wine draws it: 3 on each side, a 22 caption.
    [](MainWindow*, int32_t w, int32_t h, int32_t* ow, int32_t* oh) { *ow = w + 6, *oh = h + 28; }, [](MainWindow*) { return g_work; },
    [](MainWindow*, bool on) { Log(u"drops" + Nums({on})); }, [](MainWindow*) { Log(u"timer 1"); }, [](MainWindow*) { Log(u"timer 0"); },
    [](MainWindow*) { Log(u"close"); },
    [](MainWindow*, int32_t report) { std::lock_guard hold(g_lock); g_reports.push_back(report), g_reported.notify_all(); },
    [](MainWindow*) { Log(u"minimize"); }, [](MainWindow*) { return int32_t{96}; }};
ClipboardApi g_clipboard{SetClipboard, TakeFiles};
JobInputApi g_jobInput{
    [](DropHandle d) { return uint32_t(DropOf(d).size()); },
    [](DropHandle d, uint32_t i) { return uint32_t(DropOf(d)[i].size()); },
    [](DropHandle d, uint32_t i, char16_t* buffer, uint32_t n) { return CopyOut(DropOf(d)[i], buffer, n); },
    [](DropHandle d) { delete &DropOf(d), --g_liveDrops; }, [] { return u"\"dorrowin\""; }};
UserStoreApi g_userStore{Open, Create, [](StoreKey k) { delete &PathOf(k), --g_openKeys; }, Query, Set, Info,
                         EnumKey, EnumValue, DeleteValue, DeleteKey};
ShellApi g_shell{
    [](const char16_t* path) { return g_shellLog.push_back(u"open " + Units(path)), Units(path).ends_with(u".txt"); },
    [](MainWindow*, const char16_t* text, const char16_t* title) { g_shellLog.push_back(u"warn " + Units(text) + u"|" + title); }};

std::vector<Units> WindowLog() { return g_log; }
void ClearWindowLog() { g_log.clear(); }
Units ControlText(Control control) { return g_texts[control]; }
void SetControlTextForTest(Control control, const Units& text) { g_texts[control] = text; }
bool ControlEnabled(Control control) { return !g_disabled[control]; }
void SetWindowRect(WindowRect rect) { g_rect = rect; }
void SetWorkArea(WindowRect rect) { g_work = rect; }
AppState g_app;

void ResetStandIns() {
  WaitForJob(&g_app.job), std::destroy_at(&g_app), std::construct_at(&g_app);  // a job left running ends first
  g_log.clear(), g_shellLog.clear(), g_texts.clear(), g_disabled.clear(), g_keys.clear(), g_clipboardText.clear();
  g_clipboardFiles.clear();
  g_rect = WindowRect{0, 0, 100, 100}, g_work = WindowRect{0, 0, 1280, 984}, g_busy = false;
}

void PumpJobReports() {
  while (g_app.status != StatusState::Idle) {
    std::unique_lock hold(g_lock);
    g_reported.wait(hold, [] { return !g_reports.empty(); });
    int32_t report = g_reports.front();
    g_reports.pop_front(), hold.unlock();
    OnJobReport(&g_app, report);
  }
}

Units RunWindowJob(void* drop) {
  ClearWindowLog();
  StartJob(&g_app, drop);
  PumpJobReports();
  WaitForJob(&g_app.job);
  Units outcome;  // the last status text but the blank one
  for (const Units& event : g_log)
    if (event.rfind(u"text 10003 ", 0) == 0 && event[11] != u'\u3000') outcome = event.substr(11);
  return outcome;
}

Units ClipboardText() { std::lock_guard hold(g_lock); return g_clipboardText; }
void SetClipboardText(const Units& text) { g_clipboardText = text; }
void SetClipboardBusy(bool busy) { g_busy = busy; }
void SetClipboardFiles(const std::vector<Units>& paths) { g_clipboardFiles = paths; }
void* MakeDrop(const std::vector<Units>& paths) { return ++g_liveDrops, new Drop(paths); }
int32_t LiveDrops() { return g_liveDrops; }
int32_t OpenStoreKeys() { return g_openKeys; }
std::vector<Units> ShellLog() { return g_shellLog; }

std::vector<Units> StoreContents() {
  std::vector<Units> out;
  for (auto& [path, key] : g_keys) {
    out.push_back(path);
    for (const Value& v : key.values) {
      out.push_back(v.name + u"=" + Nums({v.type}).substr(1) + u":");
      for (unsigned char b : v.bytes) out.back() += {u"0123456789abcdef"[b >> 4], u"0123456789abcdef"[b & 15]};
    }
  }
  return out;
}
